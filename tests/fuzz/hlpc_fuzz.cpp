// libFuzzer target over the help compiler's source reader and what follows
// it: whatever the text, the compiler either refuses it with a CompileError
// naming a line of the text, or makes a file whose header gives its own size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/hlpc/HlpFile.h"
#include "tools/hlpc/SourceReader.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::uint32_t U32(const hlpc::Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t(b.at(at + 3)) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (char c : source) lines += c == '\n';
    // Any other exception escapes and counts as a fault: nothing in the text
    // may reach a limit of the format unchecked.
    try {
        const hlpc::HelpProject project = hlpc::ReadSource(source);
        const hlpc::Bytes file = hlpc::WriteHelpFile(project);
        Require(file.size() >= 16 && U32(file, 0) == 0x00035F3F && U32(file, 12) == file.size());
    } catch (const hlpc::CompileError& e) {
        Require(e.line() >= 0 && e.line() <= lines);
    }
    return 0;
}
