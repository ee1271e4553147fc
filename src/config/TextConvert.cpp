#include "config/TextConvert.h"

#include <iconv.h>

#include <cerrno>

namespace mc {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

class Iconv {
public:
    Iconv(const char* from, const char* to) : m_handle(::iconv_open(to, from)) {}
    ~Iconv() {
        if (valid()) ::iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

}  // namespace

ConvertedText convertText(std::string_view bytes, const char* from, const char* to,
                          InvalidSequence onInvalid) {
    ConvertedText result;
    Iconv converter(from, to);
    if (!converter.valid()) return result;

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
        const std::size_t converted =
            flushing ? ::iconv(converter.handle(), nullptr, nullptr, &outPtr, &outLeft)
                     : ::iconv(converter.handle(), &in, &inLeft, &outPtr, &outLeft);
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
                ::iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
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

}  // namespace mc
