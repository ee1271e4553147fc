// libFuzzer target of the mode-file reader. The input is MatrixMode.xml's
// bytes. Properties: a file that reads, with a mode saved into it, gives
// bytes that read again (from memory, by the same rules) to the same
// encoding, root, modes and mode names; the check a real save makes before
// it replaces the file accepts them; serialising again is stable.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "control/CrosspointState.h"
#include "store/ModeStore.h"
#include "store/ModeXml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::optional<mc::ModeDocument> document;
    try {
        document.emplace("fuzz.xml", bytes);
    } catch (const mc::ModeFileError&) {
        return 0;  // refused on reading: never written
    }
    const std::vector<mc::Node> nodes{{0, static_cast<std::int32_t>(size % 5)}, {3, 4}};
    mc::putMode(document->root(), "Mode会议", nodes);
    const std::vector<mc::ModeData> expected = mc::readModes(*document);

    std::string saved;
    try {
        saved = document->serialise();
    } catch (const mc::ModeFileError&) {
        return 0;  // a character the file's encoding cannot hold: refused
    }
    std::optional<mc::ModeDocument> again;
    try {
        again.emplace("fuzz.xml", saved);
    } catch (const mc::ModeFileError& error) {
        std::fprintf(stderr, "saved file unreadable: %s\n", error.what());
        MC_FUZZ_CHECK(!"a save made the file unreadable");
    }
    MC_FUZZ_CHECK(again->encoding() == document->encoding());
    MC_FUZZ_CHECK(std::string_view(again->root().name()) == document->root().name());
    MC_FUZZ_CHECK(mc::readModes(*again) == expected);
    document->verifySerialised(saved);  // throws (and so crashes) if it refuses
    MC_FUZZ_CHECK(again->serialise() == saved);
    return 0;
}
