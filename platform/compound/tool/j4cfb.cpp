// j4cfb: look inside any compound file.
//   j4cfb list FILE               the tree of storages and streams with stream sizes
//   j4cfb dump FILE PATH/TO/STREAM one stream's bytes to standard output
// Exit status: 0 done, 1 the file or element could not be read, 2 wrong usage.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/compound/compound_file.h"

namespace {

using j4::platform::CompoundFile;
using j4::platform::EntryType;
using j4::platform::Storage;

// Control characters (names such as "\x05SummaryInformation") are shown as \xNN.
std::string printable(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void list(const Storage& storage, const std::string& prefix) {
    for (const auto& e : storage.children()) {
        const std::string path = prefix + printable(e.name);
        if (e.type == EntryType::Stream) {
            std::printf("%12llu  %s\n", static_cast<unsigned long long>(e.size), path.c_str());
        } else {
            std::printf("%12s  %s/\n", "", path.c_str());
            auto sub = storage.openStorage(e.name);
            if (sub) list(*sub, path + "/");
        }
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: j4cfb list FILE\n"
                 "       j4cfb dump FILE PATH/TO/STREAM\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string_view command = argv[1];
    if (!(command == "list" && argc == 3) && !(command == "dump" && argc == 4)) return usage();

    auto file = CompoundFile::openRead(argv[2]);
    if (!file) {
        std::fprintf(stderr, "j4cfb: %s\n", file.error().message.c_str());
        return 1;
    }
    if (command == "list") {
        list(file->root(), "");
        return 0;
    }

    std::string path = argv[3];
    Storage storage = file->root();
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
        if (slash == start) continue;  // tolerate doubled or leading slashes
        auto sub = storage.openStorage(path.substr(start, slash - start));
        if (!sub) {
            std::fprintf(stderr, "j4cfb: %s\n", sub.error().message.c_str());
            return 1;
        }
        storage = *sub;
    }
    auto stream = storage.openStream(path.substr(start));
    if (!stream) {
        std::fprintf(stderr, "j4cfb: %s\n", stream.error().message.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = stream->readAll();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        std::fprintf(stderr, "j4cfb: cannot write to standard output\n");
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
