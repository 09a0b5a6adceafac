// j4show: inspects, exports and builds show files from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "show/file/tool/tool_run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = j4::show::tool::runShowTool(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return std::cout.good() ? status : 1;
}
