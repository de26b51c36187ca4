#include "save/sort_file.h"

#include "save/atomic_file.h"
#include "scan/byte_block.h"
#include "scan/cls_list_emu.h"
#include "scan/source_reader.h"

#include <cstdio>
#include <filesystem>
#include <new>

namespace twinsift {

namespace {

// Reads the whole file into a block; false when that fails.
bool readWhole(const std::string& path, ByteBlock& block, std::size_t& size) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long length = ok ? std::ftell(f) : -1;
    ok = ok && length > 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        block = ByteBlock(static_cast<std::size_t>(length));
        size = std::fread(block.data(), 1, static_cast<std::size_t>(length), f);
        ok = size == static_cast<std::size_t>(length);
    }
    std::fclose(f);
    return ok;
}

} // namespace

bool SortFile(const std::string& path, bool descending, const Collation& collation,
              const std::function<void()>& pump) {
    if (path.empty()) return false;
    std::error_code ec;
    const std::filesystem::path p(std::u8string(path.begin(), path.end()));
    if (!std::filesystem::is_regular_file(p, ec)) return false;
    if (std::filesystem::file_size(p, ec) == 0 || ec) return false;

    clsListEmu list;
    try {
        ByteBlock block;
        std::size_t size = 0;
        if (!readWhole(path, block, size)) return false;
        const char* base = list.AdoptBlock(std::move(block));
        forEachTextLine(base, size, [&](const char* text, std::size_t len) {
            list.AddItemRef(text, static_cast<std::uint32_t>(len));
        });
        if (pump) pump();

        if (descending) {
            list.ShellSort_Descending(collation);
        } else {
            list.ShellSort(collation);
        }
        if (pump) pump();

        OutputFile out;
        if (!out.open(path)) return false;
        const std::int32_t n = list.ListCount();
        for (std::int32_t i = 0; i < n; ++i) out.writeLine(list.ListView(i));
        const bool ok = out.close();
        list.Clear();
        return ok;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace twinsift
