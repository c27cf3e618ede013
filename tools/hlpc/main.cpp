// hlpc: builds a Windows Help file from the plain-text help source.
//   hlpc SOURCE.txt OUTPUT.HLP
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/hlpc/HlpFile.h"
#include "tools/hlpc/SourceReader.h"

namespace {

// The viewer keeps per-file data keyed on the stamp, so it must change when
// the text does; the source's own time does that and keeps builds repeatable.
std::uint32_t GenerationTime(const std::string& source) {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        return static_cast<std::uint32_t>(std::strtoul(epoch, nullptr, 10));
    }
    struct stat st {};
    if (stat(source.c_str(), &st) != 0) return 0;
    return static_cast<std::uint32_t>(st.st_mtime);
}

// Written beside and renamed, so that a failed run never leaves half a help
// file that the build would take as up to date. Whatever fails, the partial
// file goes; a failed close counts, since a full disk may show only there.
bool WriteWhole(const std::string& output, const hlpc::Bytes& file) {
    const std::string partial = output + ".part";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: hlpc SOURCE.txt OUTPUT.HLP\n";
        return 2;
    }
    const std::string source = argv[1];
    const std::string output = argv[2];
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": error: cannot read the file\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        hlpc::HelpProject project = hlpc::ReadSource(text.str());
        project.generated = GenerationTime(source);
        hlpc::Bytes file = hlpc::WriteHelpFile(project);
        if (!WriteWhole(output, file)) {
            std::cerr << output << ": error: cannot write the file\n";
            return 1;
        }
    } catch (const hlpc::CompileError& e) {
        std::cerr << source;
        if (e.line() > 0) std::cerr << ':' << e.line();
        std::cerr << ": error: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << source << ": error: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
