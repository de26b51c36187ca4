#include "office/zip_package.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace twinsift::office {

namespace {

bool safeEntryName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
    if (name.find('\0') != std::string::npos || name.find(':') != std::string::npos) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

} // namespace

ZipPackage::ZipPackage() = default;
ZipPackage::~ZipPackage() { close(); }

void ZipPackage::close() {
    if (archive_) zip_discard(archive_);
    archive_ = nullptr;
    bytes_.clear();
    bytes_.shrink_to_fit();
    names_.clear();
    index_.clear();
    replaced_.clear();
    removed_.clear();
    inflated_ = 0;
}

bool ZipPackage::open(const std::string& path, PackageLimits limits) {
    close();
    limits_ = limits;
    {
        std::ifstream in(std::filesystem::u8path(path), std::ios::binary | std::ios::ate);
        if (!in) return false;
        const std::streamoff size = in.tellg();
        if (size <= 0) return false;
        bytes_.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        if (!in.read(bytes_.data(), size)) return false;
    }
    if (bytes_.empty()) return false;
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        return false;
    }
    archive_ = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    zip_error_fini(&err);
    if (!archive_) {
        zip_source_free(src);
        close();
        return false;
    }
    const zip_int64_t n = zip_get_num_entries(archive_, 0);
    std::uint64_t declared = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            close();
            return false;
        }
        std::string name = st.name;
        if (!safeEntryName(name) || index_.count(name)) {
            close();
            return false;
        }
        if (st.valid & ZIP_STAT_SIZE) {
            if (st.size > limits_.maxEntryBytes) {
                close();
                return false;
            }
            declared += st.size;
        }
        names_.push_back(name);
        index_[name] = i;
    }
    if (declared > limits_.maxTotalBytes) {
        close();
        return false;
    }
    return true;
}

std::optional<std::string> ZipPackage::read(const std::string& name) {
    if (removed_.count(name)) return std::nullopt;
    if (auto r = replaced_.find(name); r != replaced_.end()) return r->second;
    auto it = index_.find(name);
    if (!archive_ || it == index_.end()) return std::nullopt;
    zip_file_t* f = zip_fopen_index(archive_, static_cast<zip_uint64_t>(it->second), 0);
    if (!f) return std::nullopt;
    std::string out;
    zip_stat_t st;
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(it->second), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
        out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(st.size, limits_.maxEntryBytes)));
    char buf[1 << 16];
    bool ok = true;
    for (;;) {
        const zip_int64_t got = zip_fread(f, buf, sizeof buf);
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        // The declared size may lie; the limits hold for what really inflates.
        if (out.size() + static_cast<std::uint64_t>(got) > limits_.maxEntryBytes ||
            inflated_ + static_cast<std::uint64_t>(got) > limits_.maxTotalBytes) {
            ok = false;
            break;
        }
        inflated_ += static_cast<std::uint64_t>(got);
        out.append(buf, static_cast<std::size_t>(got));
    }
    // Closing reports a CRC mismatch of a damaged entry.
    if (zip_fclose(f) != 0) ok = false;
    if (!ok) return std::nullopt;
    return out;
}

void ZipPackage::replace(const std::string& name, std::string bytes) {
    removed_.erase(name);
    replaced_[name] = std::move(bytes);
}

void ZipPackage::remove(const std::string& name) {
    replaced_.erase(name);
    removed_.insert(name);
}

bool ZipPackage::writeTo(const std::string& path) const {
    if (!archive_) return false;
    int errorCode = 0;
    zip_t* out = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &errorCode);
    if (!out) return false;
    auto fail = [&] {
        zip_discard(out);
        std::error_code ec;
        std::filesystem::remove(std::filesystem::u8path(path), ec);
        return false;
    };
    std::vector<std::string> added;
    for (const std::string& name : names_) {
        if (removed_.count(name)) continue;
        const auto srcIndex = static_cast<zip_uint64_t>(index_.at(name));
        zip_int64_t idx;
        if (auto r = replaced_.find(name); r != replaced_.end()) {
            zip_source_t* s = zip_source_buffer(out, r->second.data(), r->second.size(), 0);
            if (!s) return fail();
            idx = zip_file_add(out, name.c_str(), s, ZIP_FL_ENC_UTF_8);
            if (idx < 0) {
                zip_source_free(s);
                return fail();
            }
            zip_set_file_compression(out, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 6);
            zip_stat_t st;
            if (zip_stat_index(archive_, srcIndex, 0, &st) == 0 && (st.valid & ZIP_STAT_MTIME))
                zip_file_set_mtime(out, static_cast<zip_uint64_t>(idx), st.mtime, 0);
        } else if (!name.empty() && name.back() == '/') {
            if (zip_dir_add(out, name.c_str(), ZIP_FL_ENC_UTF_8) < 0) return fail();
        } else {
            zip_source_t* s = zip_source_zip(out, archive_, srcIndex, 0, 0, -1);
            if (!s) return fail();
            idx = zip_file_add(out, name.c_str(), s, ZIP_FL_ENC_UTF_8);
            if (idx < 0) {
                zip_source_free(s);
                return fail();
            }
        }
    }
    if (zip_close(out) != 0) return fail();
    return true;
}

std::string resolvePartName(const std::string& sourcePart, const std::string& target) {
    std::string base;
    std::string t = target;
    if (!t.empty() && t.front() == '/') {
        t.erase(0, 1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        if (slash != std::string::npos) base = sourcePart.substr(0, slash + 1);
    }
    std::vector<std::string> parts;
    std::string whole = base + t;
    std::size_t start = 0;
    while (start <= whole.size()) {
        std::size_t end = whole.find('/', start);
        if (end == std::string::npos) end = whole.size();
        std::string seg = whole.substr(start, end - start);
        if (seg == "..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? "/" : "") + parts[i];
    return out;
}

} // namespace twinsift::office
