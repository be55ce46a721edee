// Conversion between the host code page (the LC_CTYPE codeset) and UTF-8, replacing
// what does not convert one character at a time, as the Win32 converters do.
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

namespace {

constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kReplacementHost = "?";             // the Win32 default character

bool IsUtf8Name(const char* codeset) {
    return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0;
}

// The codeset of the current locale; plain ASCII (the C/POSIX locale) counts as UTF-8,
// so bytes above 0x7F in the C locale pass as UTF-8 rather than all becoming '?'.
std::string HostCodeset() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || codeset[0] == '\0' || IsUtf8Name(codeset) ||
        strcasecmp(codeset, "ANSI_X3.4-1968") == 0 || strcasecmp(codeset, "ASCII") == 0 ||
        strcasecmp(codeset, "US-ASCII") == 0)
        return kUtf8;
    return codeset;
}

// At `text` (with `left` > 0 bytes): the length of one well-formed UTF-8 character,
// with `valid` true; otherwise the length of the maximal ill-formed prefix to replace
// as one character (at least 1), with `valid` false.
std::size_t Utf8Unit(const unsigned char* text, std::size_t left, bool& valid) {
    unsigned char lead = text[0];
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        valid = true;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        valid = false;
        return 1;
    }
    std::size_t at = 1;
    for (; at < length && at < left; ++at) {
        unsigned char lo = at == 1 ? low : 0x80;
        unsigned char hi = at == 1 ? high : 0xBF;
        if (text[at] < lo || text[at] > hi) break;
    }
    valid = at == length;
    return at;
}

// UTF-8 to UTF-8: copies well-formed characters and replaces each ill-formed one.
std::string RepairUtf8(const char* text) {
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t left = std::strlen(text);
    out.reserve(left);
    while (left > 0) {
        bool valid = false;
        std::size_t length = Utf8Unit(bytes, left, valid);
        if (valid)
            out.append(reinterpret_cast<const char*>(bytes), length);
        else
            out.append(kReplacementUtf8);
        bytes += length;
        left -= length;
    }
    return out;
}

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);  // iconv_open failed

// Opening an iconv descriptor loads its conversion tables, far more work than
// converting one name, and a deposit converts a name per record. So each thread keeps
// the descriptor of its last conversion in each direction, for as long as the codeset
// stays the same; a descriptor is never used by two threads at once.
class CachedDescriptor {
public:
    CachedDescriptor() = default;
    ~CachedDescriptor() { Close(); }
    CachedDescriptor(const CachedDescriptor&) = delete;
    CachedDescriptor& operator=(const CachedDescriptor&) = delete;

    // A descriptor from `from` to `to` in its initial shift state, or kNoDescriptor.
    iconv_t Get(const char* from, const char* to) {
        if (m_cd == kNoDescriptor || m_from != from || m_to != to) {
            Close();
            m_cd = iconv_open(to, from);
            if (m_cd == kNoDescriptor) return kNoDescriptor;
            m_from = from;
            m_to = to;
        }
        // Back to the initial state, which a conversion that stopped early may have left.
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    void Close() {
        if (m_cd != kNoDescriptor) iconv_close(m_cd);
        m_cd = kNoDescriptor;
    }

    iconv_t m_cd = kNoDescriptor;
    std::string m_from;
    std::string m_to;
};

// Converts with iconv; an input character that is ill-formed or has no equivalent
// in the target becomes the target's replacement. False when iconv has no such
// conversion.
bool Convert(const char* text, const char* from, const char* to, std::string& out) {
    thread_local CachedDescriptor hostToUtf8;
    thread_local CachedDescriptor utf8ToHost;
    const bool fromUtf8 = IsUtf8Name(from);
    iconv_t cd = (fromUtf8 ? utf8ToHost : hostToUtf8).Get(from, to);
    if (cd == kNoDescriptor) return false;
    const char* replacement = IsUtf8Name(to) ? kReplacementUtf8 : kReplacementHost;
    std::size_t inLeft = std::strlen(text);
    char* in = const_cast<char*>(text);  // iconv's signature; the input is not written
    std::string buffer(inLeft * 4 + 16, '\0');
    std::size_t used = 0;
    while (inLeft > 0) {
        char* outAt = &buffer[used];
        std::size_t outLeft = buffer.size() - used;
        std::size_t result = iconv(cd, &in, &inLeft, &outAt, &outLeft);
        used = buffer.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL (cut short at the end): replace one character and go on.
        // From UTF-8 that is one whole character (it may be well-formed but have no
        // equivalent) or one maximal ill-formed prefix; from other codesets one byte.
        std::size_t skip = 1;
        if (fromUtf8) {
            bool valid = false;
            skip = Utf8Unit(reinterpret_cast<const unsigned char*>(in), inLeft, valid);
        }
        in += skip;
        inLeft -= skip;
        const std::size_t replacementLength = std::strlen(replacement);
        if (buffer.size() - used < replacementLength) buffer.resize(buffer.size() * 2);
        std::memcpy(&buffer[used], replacement, replacementLength);
        used += replacementLength;
    }
    // Flush any shift sequence a stateful target needs at the end.
    for (;;) {
        char* outAt = &buffer[used];
        std::size_t outLeft = buffer.size() - used;
        std::size_t result = iconv(cd, nullptr, nullptr, &outAt, &outLeft);
        used = buffer.size() - outLeft;
        if (result != static_cast<std::size_t>(-1) || errno != E2BIG) break;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(used);
    out = std::move(buffer);
    return true;
}

bool Transcode(const char* text, bool toUtf8, std::string& out) {
    out.clear();
    if (fault::CodePage().Hit(toUtf8 ? "HostToUtf8" : "Utf8ToHost")) return false;
    if (text == nullptr) return true;
    std::string host = HostCodeset();
    if (host == kUtf8) {
        out = RepairUtf8(text);
        return true;
    }
    return toUtf8 ? Convert(text, host.c_str(), kUtf8, out)
                  : Convert(text, kUtf8, host.c_str(), out);
}

}  // namespace

bool HostToUtf8(const char* text, std::string& out) { return Transcode(text, true, out); }

bool Utf8ToHost(const char* text, std::string& out) { return Transcode(text, false, out); }

}  // namespace vellum::platform
