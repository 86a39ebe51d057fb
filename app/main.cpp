#include "clientstartup.h"

#include <malloc.h>

#ifdef ZELKA_TEST_ROOT_OVERRIDE
#include <QFile>
#include <QUrl>
#endif

int main(int argc, char **argv)
{
    // Blocks of 128 KB and more (pictures, decoders' frame pools) get mappings of their
    // own that go back to the system when freed. Left to itself glibc raises this bound to
    // the largest block freed so far, and pictures then come from the arena of the stream
    // thread that asks; each stream has threads of its own, and the dozens of arenas a
    // carousel goes through each kept what its streams had freed. Set before any thread
    // starts.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#ifdef ZELKA_TEST_ROOT_OVERRIDE
    // Only the test build of the executable may be pointed at another root file.
    const QByteArray override = qgetenv("ZELKA_TEST_ROOT_URL");
    if (!override.isEmpty())
        return ClientStartup::run(argc, argv, QUrl::fromUserInput(QString::fromLocal8Bit(override)));
#endif
    return ClientStartup::run(argc, argv, ClientStartup::defaultRootUrl());
}
