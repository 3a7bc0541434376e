// The Windows backend: music through the media control interface, effects through PlaySoundW.
// Music plays the checked file by its wide path; MCI reads an RMID file itself. Effects play
// the checked bytes themselves.
#include <windows.h>
#include <mmsystem.h>

#include <filesystem>
#include <string>
#include <utility>

#include "sound/audio_device.h"

namespace audio {
namespace {

// The effect sounding plays from these bytes: they are kept until it is stopped.
struct Effect {
  std::vector<unsigned char> bytes;
  ~Effect() { PlaySoundW(nullptr, nullptr, 0); }
} g_effect;

// The short (8.3) form of a path, or the path itself when the volume keeps none.
std::wstring short_path(const std::wstring& path) {
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring name(size, L'\0');
  const DWORD n = GetShortPathNameW(path.c_str(), &name[0], size);
  if (n == 0 || n >= size) return path;
  name.resize(n);
  return name;
}

unsigned open_device(const wchar_t* type, const std::wstring& element) {
  MCI_OPEN_PARMSW open{};
  open.lpstrDeviceType = type;
  open.lpstrElementName = element.c_str();
  if (mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                      reinterpret_cast<DWORD_PTR>(&open)) != 0)
    return 0;
  return open.wDeviceID;
}

}  // namespace

bool plays_renderings() {
  return false;
}

// MCI opens its device when a piece is loaded; PlaySound needs nothing opened.
bool open() {
  return true;
}

// The media control interface plays in its own background and notifies no window. The handle
// is the MCI device id. Some MIDI players (wine's, for one) open the file by its name in the
// ANSI code page: a name it cannot hold is tried again in its short form.
unsigned load_music(const char* file, Device device, std::vector<unsigned char>) {
  const wchar_t* type = device == Device::sequencer ? L"sequencer"
                        : device == Device::cd      ? L"cdaudio"
                                                    : L"waveaudio";
  const std::wstring element = std::filesystem::u8path(file).wstring();
  const unsigned id = open_device(type, element);
  if (id != 0) return id;
  const std::wstring short_element = short_path(element);
  return short_element == element ? 0 : open_device(type, short_element);
}

// From the start, once, without waiting.
bool play_music(unsigned handle) {
  MCI_PLAY_PARMS play{};
  return mciSendCommandW(handle, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

void free_music(unsigned handle) {
  mciSendCommandW(handle, MCI_CLOSE, 0, 0);
}

// Asynchronous, and without SND_NOSTOP: a new effect cuts off the one still sounding, stopped
// first so that its bytes can go. From memory, no file name can fail to open (wine's player, for
// one, takes names in the ANSI code page).
void play_effect(const char*, std::vector<unsigned char> bytes) {
  PlaySoundW(nullptr, nullptr, 0);
  g_effect.bytes = std::move(bytes);
  PlaySoundW(reinterpret_cast<LPCWSTR>(g_effect.bytes.data()), nullptr, SND_ASYNC | SND_MEMORY);
}

}  // namespace audio
