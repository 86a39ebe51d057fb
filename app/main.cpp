#include "allocatortuning.h"
#include "clientstartup.h"

#ifdef ZELKA_TEST_ROOT_OVERRIDE
#include <QFile>
#include <QUrl>
#endif

int main(int argc, char **argv)
{
    AllocatorTuning::apply();
#ifdef ZELKA_TEST_ROOT_OVERRIDE
    // Only the test build of the executable may be pointed at another root file.
    const QByteArray override = qgetenv("ZELKA_TEST_ROOT_URL");
    if (!override.isEmpty())
        return ClientStartup::run(argc, argv, QUrl::fromUserInput(QString::fromLocal8Bit(override)));
#endif
    return ClientStartup::run(argc, argv, ClientStartup::defaultRootUrl());
}
