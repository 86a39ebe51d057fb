#include "safefilename.h"

namespace SafeFileName {

QString fromText(const QString &text)
{
    QString name = text;
    for (QChar &c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('-');
    }
    for (int i = 0; i < name.size() && name.at(i) == QLatin1Char('.'); ++i)
        name[i] = QLatin1Char('-');
    return name;
}

} // namespace SafeFileName
