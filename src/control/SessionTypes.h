#pragma once

// The small types of MatrixSession's interface: the options tests set, what
// the configuration dialog's Apply carries, the mode list and the layer a
// route request acts on.

#include <functional>
#include <string>
#include <vector>

#include "config/ServiceSettings.h"
#include "config/StartupSettings.h"
#include "control/SessionObserver.h"
#include "protocol/BytePort.h"
#include "protocol/SenderClock.h"
#include "serial/SerialDevices.h"

namespace mc {

// What tests change about the session's own objects. The program uses the
// defaults.
struct SessionOptions {
    // The port the sender writes to. Null: Comm1. Must outlive the session.
    IBytePort* senderPort = nullptr;
    // The sender's clock. Null: the steady clock. Must outlive the session.
    ISenderClock* senderClock = nullptr;
    // False: the sender thread is created but never started, so the frames
    // the session queues stay in the command queue for inspection.
    bool startSender = true;
    // Where the configuration dialog lists serial devices from; tests point
    // it at a fake folder tree.
    DeviceRoots deviceRoots;
    // Where the port's one-line reports (open failures, hang-ups,
    // reconnects) go, on the user-interface thread. Empty: standard error.
    std::function<void(const std::string& line)> portLog;

    // Options whose sender never starts: what the session queues stays in
    // the command queue.
    static SessionOptions queueOnly() {
        SessionOptions options;
        options.startSender = false;
        return options;
    }
};

// What the operator chose in the configuration dialog, for Apply.
struct ConfigChoice {
    std::int32_t comPort = 1;  // 1..20
    std::int32_t baudRate = 9600;
    // The device chosen for comPort (its stable path), written to the "Serial
    // Port Map" as "COMn" before the port is opened; empty: the map stays.
    std::string devicePath;
    std::string model;  // the model shown, to become the model in use
    // The network services' sections as their pages show them, written
    // with the model in use; a service not listed keeps its section.
    std::vector<ServiceSection> services;
};

// The mode names of MatrixMode.xml, in file order, or why they could not be
// read (FileError).
struct ModeList : Outcome {
    std::vector<std::string> names;
};

// What the configuration dialog's Apply would erase: the port names and the
// matrix modes, when the chosen model runs another matrix (address, counts or
// pattern) than the one in use; nothing otherwise.
struct ApplyLoss {
    bool matrixChanges = false;
    int names = 0;  // port names set, inputs and outputs together
    int modes = 0;
};

// Which layer a route request acts on.
enum class RouteLayer {
    Operator,   // the layer the operator checked (the window's clicks)
    VideoSide,  // video: the operator's layer when it includes video, else video
                // alone (the router protocol's one routing table)
    AudioSide,  // audio: the operator's layer when it includes audio, else audio
                // alone (SW-P-08's level 1)
    Video,
    Audio,
    Both,
};

// How a name arrives: whole (a client's request: one journal line), or as the
// window's operator types it (one journal line per edit).
enum class NameEntry { Whole, Typing };

}  // namespace mc
