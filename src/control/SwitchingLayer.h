#pragma once

// The switching layer: whether switching acts on video, audio or both. The
// choice is told to the device as the layer frame and remembered under
// "System config" / "VideoOrAudio" in MatrixConfig.con. The window's three
// radio buttons (VideoRadioButton, AudioRadioButton,
// VideoAndAudioRadioButton) are the only in-memory copy of it.
// UI-thread use only.

#include <cstdint>

namespace mc {

class AppPaths;
class CommandQueue;
class CrosspointState;

// The values of the layer, as stored and as the layer frame carries them.
inline constexpr std::int32_t kLayerVideo = 1;
inline constexpr std::int32_t kLayerAudio = 2;
inline constexpr std::int32_t kLayerVideoAndAudio = 3;
// "No radio button" in LayerStartup.
inline constexpr std::int32_t kLayerNone = 0;

// The click handling of the radio button of `layer` (1, 2 or 3), for a button
// that has just become checked. The window calls it from
// VideoRadioButtonClick, AudioRadioButtonClick and
// VideoAndAudioRadioButtonClick, and only when the button is checked (a click
// on the button that was already checked does nothing and never calls this).
//
// Writes `layer` as "VideoOrAudio" of "System config" in
// paths.mainConfigFile() (the configuration folder is not created: the
// window's creation made it), sets the current directory back to the program
// folder, and queues the layer frame to queue for state.ActiveAddress.
// Order: video writes first and then queues; audio and video-and-audio queue
// first and then write. So when the write fails (IniWriteError, "Unable to
// write to <path>", the file unchanged) the frame has been queued for audio
// and video-and-audio, but not for video. The current directory is restored
// on failure too. Throws std::invalid_argument (nothing done) for a layer
// outside 1..3.
void switchingLayerClick(std::int32_t layer, const AppPaths& paths, const CrosspointState& state,
                         CommandQueue& queue);

// Whether value names a layer (kLayerVideo .. kLayerVideoAndAudio).
bool isLayer(std::int32_t value);

// Queues the layer frame of `layer` for state.ActiveAddress, and nothing else
// (no file is written). Throws std::invalid_argument for a layer outside 1..3.
void queueLayerFrame(std::int32_t layer, const CrosspointState& state, CommandQueue& queue);

// What the window does with its radio buttons at the end of its creation and
// of every rebuild.
struct LayerStartup {
    bool enabled = true;              // enable (true) or disable all three buttons
    std::int32_t check = kLayerNone;  // button to check; kLayerNone: change no check
    bool runClick = false;            // run switchingLayerClick(check, ...) afterwards
    bool operator==(const LayerStartup&) const = default;
};

// The start-up selection, given MatrixPattern, the stored "VideoOrAudio"
// (StartupSettings::VideoOrAudio, default 1) and the button checked now
// (kLayerNone at the first start; rebuilds keep the previous check).
// - MatrixPattern: all three disabled, no check changed, nothing sent.
// - Otherwise all three enabled. A stored value 1..3 checks its button; when
//   that button was not checked, its click handling runs (the value is written
//   back and the layer frame queued). A button already checked stays checked
//   and nothing is sent. Any other stored value changes no check and sends
//   nothing; the stored value stays until the operator picks a layer.
// The window checks `check` with the buttons' handlers suspended (checking one
// unchecks the other two) and then calls switchingLayerClick when runClick.
LayerStartup startupLayerSelection(bool matrixPattern, std::int32_t storedValue,
                                   std::int32_t checkedNow);

}  // namespace mc
