// The floor of any tool that copies a tree: every regular file below TREE read once into one
// reused buffer and written once below OUT, folders made as met, nothing else. bench/table.sh
// builds it with the system compiler. Usage: copy_floor TREE OUT
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_floor TREE OUT\n");
        return 2;
    }
    const fs::path tree = argv[1], out = argv[2];
    std::vector<char> buffer(1 << 20);
    fs::create_directories(out);
    for (auto it = fs::recursive_directory_iterator(tree); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path target = out / it->path().lexically_relative(tree);
        if (it->is_directory()) {
            if (it->path().filename() == "copies")
                it.disable_recursion_pending();
            else
                fs::create_directory(target);
            continue;
        }
        const int in = open(it->path().c_str(), O_RDONLY);
        const int to = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (in < 0 || to < 0)
            return 1;
        for (ssize_t got; (got = read(in, buffer.data(), buffer.size())) > 0;)
            if (write(to, buffer.data(), static_cast<std::size_t>(got)) != got)
                return 1;
        close(in);
        if (close(to) != 0)
            return 1;
    }
    return 0;
}
