// admgen: writes the Group Policy template from the settings table and the
// help text.
//   admgen HELP-SOURCE.txt OUTPUT.adm
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/admgen/AdmTemplate.h"
#include "tools/hlpc/SourceReader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: admgen HELP-SOURCE.txt OUTPUT.adm\n";
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
    std::string adm;
    try {
        adm = admgen::MakeTemplate(admgen::ProgramSettings(), hlpc::ReadSource(text.str()));
    } catch (const hlpc::CompileError& e) {
        std::cerr << source << ':' << e.line() << ": error: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << output << ": error: " << e.what() << '\n';
        return 1;
    }
    // Written beside and renamed, so that a failed run never leaves half a
    // template that the build would take as up to date.
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(adm.data(), static_cast<std::streamsize>(adm.size()));
        if (!out.flush()) {
            std::cerr << output << ": error: cannot write the file\n";
            return 1;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::cerr << output << ": error: cannot write the file\n";
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
