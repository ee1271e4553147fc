// libFuzzer target of the SW-P-08 decoder and request reader. The input is
// what a controller sends; its first byte says where to cut it in two.
// Properties: the results do not depend on the cut; every intact message,
// framed again, decodes to itself; a request read from one, written again,
// reads the same; the answers the router builds decode as intact messages
// within the count byte's reach.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "protocol/Swp08Codec.h"
#include "protocol/Swp08Messages.h"

namespace {

using mc::swp08::Decoded;

bool same(const std::vector<Decoded>& a, const std::vector<Decoded>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].data != b[i].data) return false;
    }
    return true;
}

bool allIntact(const std::vector<std::uint8_t>& bytes) {
    for (const Decoded& decoded : mc::swp08::Decoder().feed(bytes)) {
        if (decoded.kind != Decoded::Kind::Message) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    const std::size_t cut = stream.empty() ? 0 : data[0] % (stream.size() + 1);

    const std::vector<Decoded> whole = mc::swp08::Decoder().feed(stream);
    mc::swp08::Decoder pieces;
    std::vector<Decoded> cutResults;
    pieces.feed(stream.first(cut), cutResults);
    pieces.feed(stream.subspan(cut), cutResults);
    MC_FUZZ_CHECK(same(whole, cutResults));

    for (const Decoded& decoded : whole) {
        if (decoded.kind != Decoded::Kind::Message) continue;
        MC_FUZZ_CHECK(!decoded.data.empty() && decoded.data.size() <= mc::swp08::kMaxData);
        const std::vector<Decoded> again =
            mc::swp08::Decoder().feed(mc::swp08::encodeMessage(decoded.data));
        MC_FUZZ_CHECK(again.size() == 1 && again[0].kind == Decoded::Kind::Message &&
                      again[0].data == decoded.data);
        const auto request = mc::swp08::decodeRequest(decoded.data);
        if (!request) continue;
        MC_FUZZ_CHECK(mc::swp08::decodeRequest(mc::swp08::requestData(*request)) == request);

        // Answers built from what the request carries.
        std::vector<std::uint8_t> out;
        const std::vector<std::int32_t> sources(
            static_cast<std::size_t>(request->destination % 300), request->source % 1024);
        mc::swp08::appendTallyDump(out, request->extended, request->matrix & 15,
                                   request->level & 15, request->destination % 1024, sources);
        const std::string text(decoded.data.begin(), decoded.data.end());
        const std::vector<std::string> names(static_cast<std::size_t>(request->source % 25), text);
        mc::swp08::appendNames(out, request->kind == mc::swp08::Request::Kind::SourceNames,
                               request->extended, request->matrix & 15, request->level & 15,
                               request->lengthCode, request->destination, names);
        MC_FUZZ_CHECK(allIntact(out));
    }
    return 0;
}
