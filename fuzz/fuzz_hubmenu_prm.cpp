// HUBMENU.PRM: the launcher's last tool and background picture.

#include "fuzz_support.h"
#include "hubmenu/settings_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    fuzz::WriteSeed("empty", QByteArray());
    fuzz::WriteSeed("tool_and_background", hubmenu::EncodeToolStart(QByteArray(), 10, 5));
    fuzz::WriteSeed("background_only", hubmenu::EncodeBackground(QByteArray(), 2));
    fuzz::WriteSeed("full_record", hubmenu::EncodeToolStart(QByteArray(256, ' '), 14, 6));
    fuzz::WriteSeed("odd_digits", QByteArray(" 7x9"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    const QString path = hubmenu::SettingsPath();
    fuzz::WriteInput(path, data, size);
    const hubmenu::LauncherSettings read = hubmenu::LoadSettings(path);
    FUZZ_CHECK(read.lastToolTab >= 0 && read.lastToolTab <= 999);
    FUZZ_CHECK(read.background >= 0 && read.background <= 9);
    const int shown = hubmenu::EffectiveBackground(read.background);
    FUZZ_CHECK(shown >= 1 && shown <= hubmenu::kBackgroundCount);

    // What the launcher writes back over this record reads as written, and
    // Esc keeps the stored tool.
    const QByteArray existing = fuzz::Bytes(data, size).left(hubmenu::kSettingsRecordLength);
    const hubmenu::LauncherSettings started =
        hubmenu::DecodeSettings(hubmenu::EncodeToolStart(existing, 10, 4));
    FUZZ_CHECK(started.lastToolTab == 10 && started.background == 4);
    const hubmenu::LauncherSettings ended =
        hubmenu::DecodeSettings(hubmenu::EncodeBackground(existing, 6));
    FUZZ_CHECK(ended.background == 6);
    FUZZ_CHECK(ended.lastToolTab == hubmenu::DecodeSettings(existing).lastToolTab);
    return 0;
}
