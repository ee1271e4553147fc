#include "config/TextConvert.h"

#include <iconv.h>

#include <cerrno>

namespace mc {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

iconv_t handleOf(void* handle) {
    return static_cast<iconv_t>(handle);
}

const iconv_t kInvalidHandle = reinterpret_cast<iconv_t>(-1);

}  // namespace

TextConverter::TextConverter(const char* from, const char* to) : m_handle(::iconv_open(to, from)) {}

TextConverter::~TextConverter() {
    if (valid()) ::iconv_close(handleOf(m_handle));
}

bool TextConverter::valid() const {
    return handleOf(m_handle) != kInvalidHandle;
}

ConvertedText TextConverter::convert(std::string_view bytes, InvalidSequence onInvalid) const {
    ConvertedText result;
    if (!valid()) return result;
    const iconv_t handle = handleOf(m_handle);
    ::iconv(handle, nullptr, nullptr, nullptr, nullptr);  // initial state

    std::string out(bytes.size() * 2 + 16, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write
    std::size_t inLeft = bytes.size();
    // The final call with no input flushes any shift state.
    bool flushed = false;
    while (!flushed) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const bool flushing = inLeft == 0;
        const std::size_t converted = flushing
                                          ? ::iconv(handle, nullptr, nullptr, &outPtr, &outLeft)
                                          : ::iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (converted == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG || (onInvalid == InvalidSequence::Replace &&
                                   out.size() - used < kReplacement.size())) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ: invalid or unencodable; EINVAL: cut off at the end.
            if (onInvalid == InvalidSequence::Replace && inLeft > 0) {
                out.replace(used, kReplacement.size(), kReplacement);
                used += kReplacement.size();
                ++in;
                --inLeft;
                ::iconv(handle, nullptr, nullptr, nullptr, nullptr);
                continue;
            }
            out.resize(used);
            result.text = std::move(out);
            result.failedAt = bytes.size() - inLeft;
            return result;
        }
        flushed = flushing;
    }
    out.resize(used);
    result.text = std::move(out);
    result.ok = true;
    return result;
}

ConvertedText convertText(std::string_view bytes, const char* from, const char* to,
                          InvalidSequence onInvalid) {
    return TextConverter(from, to).convert(bytes, onInvalid);
}

}  // namespace mc
