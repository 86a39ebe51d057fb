#pragma once

// Declares the notifying properties of a server record from one field table
// X(Type, name, Name, "JsonKey"), so a record's ~50 fields are written once.
//
// In the class body:           FIELDS(ZELKA_RECORD_DECLARE)
// In the private class:        FIELDS(ZELKA_RECORD_STORE)
// In the source file:          FIELDS(ZELKA_RECORD_DEFINE_<Class>) via ZELKA_RECORD_ACCESSORS
// Reading a JSON object:       FIELDS(ZELKA_RECORD_READ)   (needs `json` and `this` in scope)

#include "jsonconvert.h"
#include "propertyhelpers.h"

#define ZELKA_RECORD_DECLARE(Type, name, Name, key)                                                            \
    Q_PROPERTY(Type name READ name WRITE set##Name NOTIFY name##Changed)                                       \
public:                                                                                                        \
    Type name() const;                                                                                         \
    void set##Name(const Type &value);                                                                         \
    Q_SIGNAL void name##Changed();                                                                             \
                                                                                                               \
private:

#define ZELKA_RECORD_STORE(Type, name, Name, key) Type name{};

#define ZELKA_RECORD_ACCESSORS(Class, Type, name, Name)                                                        \
    Type Class::name() const                                                                                   \
    {                                                                                                          \
        return d->name;                                                                                        \
    }                                                                                                          \
    void Class::set##Name(const Type &value)                                                                   \
    {                                                                                                          \
        Zelka::assignIfChanged(this, d->name, value, &Class::name##Changed);                                   \
    }

#define ZELKA_RECORD_READ(Type, name, Name, key) set##Name(JsonConvert::to<Type>(json.value(QStringLiteral(key))));
