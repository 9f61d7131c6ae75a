// Saves one setting through the window's settings store, for the write-failure
// tests (write_failures.py): settings_save_probe INI KEY VALUE. Exits 0 when
// the store reports the value saved, 1 with its message (UTF-8) on stderr when
// it reports a failure.
#include <cstdio>

#include "base/Errors.h"
#include "platform/QSettingsStore.h"
#include "platform/SjisText.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: settings_save_probe INI KEY VALUE\n", stderr);
        return 2;
    }
    try {
        quaverly::QSettingsStore store(QString::fromLocal8Bit(argv[1]));
        store.SetValue(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    } catch (const quaverly::QuaverlyError& error) {
        std::fprintf(stderr, "%s\n", quaverly::FromSjis(error.what()).toUtf8().constData());
        return 1;
    }
    return 0;
}
