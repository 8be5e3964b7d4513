#include "platform/IconvRun.h"

#include <cerrno>

namespace Platform {

bool RunIconv(iconv_t cd, std::string_view input, std::string& out, const TIconvInvalid& onInvalid) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string in(input);
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        if (r == size_t(-1) && errno != E2BIG) {
            if (!onInvalid(out, inPtr, inLeft)) return false;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // A page that combines characters (1258) may still hold the last one back.
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, size_t(outPtr - buffer));
    return true;
}

} // namespace Platform
