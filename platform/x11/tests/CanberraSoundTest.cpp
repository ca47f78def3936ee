// Sounds without a sound system: they fail at once and are not tried again.
#include "CanberraSound.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

using bx::platform::x11::CanberraSound;

namespace {

const char* const ProgramEvents[] = {"Brindlex5_NewData", "Brindlex5_IgnoreClipboardUpdate", "Brindlex5_EmptyClipboard",
                                     "Brindlex5_RelayfeedComplete", "Brindlex5_Glue"};

TEST(CanberraSoundTest, WithoutASoundSystemNothingIsTriedAfterTheFirstOpening) {
    CanberraSound sound("bx-no-such-sound-system");
    for (int i = 0; i < 10; ++i)
        for (const char* event : ProgramEvents)
            EXPECT_FALSE(sound.PlaySoundEvent(event));
    EXPECT_EQ(sound.LibraryCalls(), 1);
    EXPECT_TRUE(sound.IsUnavailable());
}

TEST(CanberraSoundTest, ADeviceThatCannotPlayCostsEachEventOneAttempt) {
    // ALSA with an empty configuration knows no device.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath("asound.conf");
    std::ofstream(config.toStdString()) << "\n";
    const QByteArray saved = qgetenv("ALSA_CONFIG_PATH");
    qputenv("ALSA_CONFIG_PATH", config.toLocal8Bit());
    {
        CanberraSound sound("alsa");
        // What the sound library would print about the missing device goes nowhere.
        const QString errors = dir.filePath("stderr");
        std::fflush(stderr);
        const int saved2 = ::dup(2);
        const int file = ::open(errors.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, 2);
        EXPECT_FALSE(sound.PlaySoundEvent("Brindlex5_NewData"));
        std::fflush(stderr);
        ::dup2(saved2, 2);
        ::close(saved2);
        ::close(file);
        std::ifstream printed(errors.toStdString());
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(printed), std::istreambuf_iterator<char>()), "");
        const int calls = sound.LibraryCalls();
        EXPECT_LE(calls, 2); // opened once, played once
        for (int i = 0; i < 10; ++i)
            EXPECT_FALSE(sound.PlaySoundEvent("Brindlex5_NewData"));
        EXPECT_EQ(sound.LibraryCalls(), calls);
    }
    if (saved.isNull())
        qunsetenv("ALSA_CONFIG_PATH");
    else
        qputenv("ALSA_CONFIG_PATH", saved);
}

TEST(CanberraSoundTest, EveryProgramEventHasASoundInTheFreedesktopTheme) {
    const QDir theme("/usr/share/sounds/freedesktop/stereo");
    if (!theme.exists())
        GTEST_SKIP() << "the freedesktop sound theme is not installed";
    for (const char* event : ProgramEvents)
        EXPECT_TRUE(theme.exists(QString::fromStdString(CanberraSound::ThemeEvent(event)) + ".oga")) << event;
}

} // namespace
