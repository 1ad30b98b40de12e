// Any bytes read as the head of a request to the sign-in listener give a verdict or a wait for
// more, never a crash; a token is only ever taken from a well-formed GET of the callback's
// address, and is visible ASCII. What follows the head changes nothing. Any text read as the
// kernel's socket table gives at most one owner.
#include "sync/cloud/cloudkit/SignInCallbackRequest.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velunora::signin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto request = readCallbackRequest(bytes);
    if (!request) {
        if (bytes.size() >= maximumRequestHeadBytes || bytes.contains("\r\n\r\n")) {
            std::abort(); // a complete or oversized head always has its verdict
        }
    } else {
        if ((request->refusal == Refusal::none) == request->token.isEmpty()) {
            std::abort();
        }
        if (request->refusal == Refusal::none) {
            if (!bytes.startsWith("GET /icloud-sign-in?")) {
                std::abort();
            }
            for (const QChar character : request->token) {
                if (character.unicode() <= 0x20 || character.unicode() >= 0x7f) {
                    std::abort();
                }
            }
        }
        const auto again = readCallbackRequest(bytes + "\r\nX: y\r\n\r\n");
        if (!again || again->refusal != request->refusal || again->token != request->token) {
            std::abort();
        }
    }
    ownerOfConnection(bytes, 0x7f000001, 40000, 0x7f000001, 47219);
    return 0;
}
