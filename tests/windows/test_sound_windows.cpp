// The Windows sound layer: music through the media control interface, effects through
// PlaySoundW. Without a sound device (a build machine under wine) every call still returns
// at once, and what the player reports matches the devices really open.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sound/music.h"
#include "sound/sound_effect.h"

namespace {

const std::string kRun = VORNA_RUN_DIR;

// The MCI device type of an open device; 0 when `id` names no open device.
DWORD device_type(unsigned id) {
  MCI_GETDEVCAPS_PARMS caps{};
  caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
  if (mciSendCommandA(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM,
                      reinterpret_cast<DWORD_PTR>(&caps)) != 0)
    return 0;
  return caps.dwReturn;
}

TEST(MusicWindows, ClosedPlayerPlaysNothingAndMissingFilesStayClosed) {
  music m;
  EXPECT_EQ(m.Play(), 1);  // nothing open: success without a command
  m.device_id = 77;
  for (int kind : {1, 2, 3, 7}) {
    EXPECT_EQ(m.Init(kind, "no-such-file.mid"), 0) << kind;
    EXPECT_EQ(m.opened, 0);
    EXPECT_EQ(m.device_id, 77u);  // a failed open leaves it alone
  }
  EXPECT_EQ(m.Play(), 1);
  m.Term();
  EXPECT_EQ(m.opened, 0);
}

TEST(MusicWindows, DeviceKindsOpenTheirDeviceTypesPlayAndCloseOnce) {
  const std::string mid = kRun + "/bgm.mid";
  const std::string wav = kRun + "/life.wav";
  const struct {
    int kind;
    std::string file;
    DWORD type;
  } cases[] = {{2, mid, MCI_DEVTYPE_SEQUENCER},
               {1, wav, MCI_DEVTYPE_WAVEFORM_AUDIO},
               {7, wav, MCI_DEVTYPE_WAVEFORM_AUDIO}};  // unknown kinds mean wave audio
  int opened = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    music m;
    const int ok = m.Init(c.kind, c.file.c_str());
    EXPECT_EQ(ok, m.opened);
    if (ok == 0) continue;  // no such device on this machine: silent, as it should be
    ++opened;
    const unsigned id = m.device_id;
    EXPECT_EQ(device_type(id), c.type);
    EXPECT_EQ(m.Play(), m.opened);  // a device that refuses to play is closed again
    m.Term();
    EXPECT_EQ(m.opened, 0);
    EXPECT_EQ(device_type(id), 0u);  // really closed
    m.Term();                        // nothing left to close
    EXPECT_EQ(m.opened, 0);
  }
  // wine's MIDI sequencer opens a file even without a sound card.
  EXPECT_GE(opened, 1);
}

TEST(MusicWindows, SecondInitClosesTheFirstDevice) {
  music m;
  ASSERT_EQ(m.Init(2, (kRun + "/bgm.mid").c_str()), 1);
  const unsigned first = m.device_id;
  ASSERT_EQ(m.Init(2, (kRun + "/bgm.mid").c_str()), 1);
  EXPECT_EQ(device_type(first == m.device_id ? 0 : first), 0u);
  EXPECT_EQ(device_type(m.device_id), static_cast<DWORD>(MCI_DEVTYPE_SEQUENCER));
  m.Term();
}

// A user or folder name outside the ANSI code page: the piece is still found.
TEST(MusicWindows, OpensAPieceInAFolderNamedInJapanese) {
  const std::filesystem::path dir = std::filesystem::u8path("音楽-ミルテカ");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::filesystem::path mid = dir / "bgm.mid";
  std::filesystem::copy_file(std::filesystem::u8path(kRun + "/bgm.mid"), mid);
  music m;
  EXPECT_EQ(m.Init(2, mid.u8string().c_str()), 1);
  EXPECT_EQ(device_type(m.device_id), static_cast<DWORD>(MCI_DEVTYPE_SEQUENCER));
  m.Term();
}

std::vector<std::string> g_heard;

TEST(SoundEffectWindows, EffectsReturnAndReachTheListenerWhateverTheFile) {
  set_sound_effect_listener([](const char* file) { g_heard.push_back(file); });
  const std::string life = kRun + "/life.wav";
  const std::string dfog = kRun + "/dfog.wav";
  play_sound_effect(life.c_str());
  play_sound_effect(dfog.c_str());  // cuts the first one off
  play_sound_effect("no-such-file.wav");
  set_sound_effect_listener(nullptr);
  play_sound_effect(life.c_str());
  EXPECT_EQ(g_heard, (std::vector<std::string>{life, dfog, "no-such-file.wav"}));
  PlaySoundW(nullptr, nullptr, 0);  // silence before the process ends
}

}  // namespace
