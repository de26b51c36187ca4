// Reads a file into a block of fresh memory the way the loader gets its
// memory (mapped, huge pages asked for, faulted in on the other core as the
// read goes) and does nothing else: the least a load of that file costs on
// this machine. targets.sh prints it as the floor under every row.
//
//   twinsift_bench_fresh_read FILE

#include "scan/byte_block.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: twinsift_bench_fresh_read FILE\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    twinsift::ByteBlock block(size + 1);
    std::atomic<bool> stop{false};
    std::thread prefaulter([&] { twinsift::prefaultFreshBlock(block.data(), block.size(), &stop); });
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, block.data() + got, std::min<std::size_t>(4u << 20, size - got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    stop = true;
    prefaulter.join();
    ::close(fd);
    if (got != size) {
        std::fprintf(stderr, "%s: read %zu of %zu bytes\n", argv[1], got, size);
        return 1;
    }
    return 0;
}
