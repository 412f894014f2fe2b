#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::textio {
namespace fs = std::filesystem;
namespace {

std::string reason(int error_number) { return std::strerror(error_number); }

// A name beside the target that no other file has: the exclusive open mode
// refuses an existing name, so a clash only costs another try.
std::FILE* create_temporary(const std::string& target, std::string& name, int& error_number) {
    std::random_device entropy;
    std::mt19937_64 generator((std::uint64_t{entropy()} << 32) ^ entropy());
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".tmp%016llx",
                      static_cast<unsigned long long>(generator()));
        name = target + suffix;
        errno = 0;
        if (std::FILE* file = std::fopen(name.c_str(), "wbx")) return file;
        error_number = errno;
        if (error_number != EEXIST) break;
    }
    name.clear();
    return nullptr;
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

MaybeError OutputFile::open(std::string target) {
    discard();
    target_ = std::move(target);
    finished_ = committed_ = false;
    write_errno_ = 0;

    std::error_code ec;
    fs::path path = target_;
    // Replace the file a link points to, not the link.
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) path = resolved;
    }
    const fs::file_status status = fs::status(path, ec);
    int error_number = 0;
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        errno = 0;
        file_ = std::fopen(path.c_str(), "wb");
        error_number = errno;
    } else {
        destination_ = path.string();
        file_ = create_temporary(destination_, temporary_, error_number);
    }
    if (file_ == nullptr) {
        return file_error(target_, "cannot create output file: " + reason(error_number));
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);  // our own buffer is the only one
    if (!buffer_) buffer_.reset(new char[buffer_size]);
    cursor_ = buffer_.get();
    limit_ = cursor_ + buffer_size;
    return std::nullopt;
}

void OutputFile::flush_buffer() {
    const std::size_t pending = static_cast<std::size_t>(cursor_ - buffer_.get());
    if (pending != 0 && write_errno_ == 0 && file_ != nullptr) {
        errno = 0;
        if (std::fwrite(buffer_.get(), 1, pending, file_) != pending) {
            write_errno_ = errno != 0 ? errno : EIO;
        }
    }
    cursor_ = buffer_.get();
}

void OutputFile::put_slow(std::string_view text) {
    while (!text.empty()) {
        if (cursor_ == limit_) flush_buffer();
        const std::size_t room = static_cast<std::size_t>(limit_ - cursor_);
        const std::size_t part = text.size() < room ? text.size() : room;
        std::char_traits<char>::copy(cursor_, text.data(), part);
        cursor_ += part;
        text.remove_prefix(part);
    }
}

MaybeError OutputFile::finish() {
    if (file_ == nullptr) return file_error(target_, "output file is not open");
    flush_buffer();
    errno = 0;
    if (std::fflush(file_) != 0 && write_errno_ == 0) write_errno_ = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(file_) != 0 && write_errno_ == 0) write_errno_ = errno != 0 ? errno : EIO;
    file_ = nullptr;
    if (write_errno_ != 0) {
        MaybeError failed =
            file_error(target_, "cannot write output file: " + reason(write_errno_));
        discard();
        return failed;
    }
    finished_ = true;
    return std::nullopt;
}

MaybeError OutputFile::commit() {
    if (!finished_) return file_error(target_, "output file is not complete");
    if (temporary_.empty()) {
        committed_ = true;
        return std::nullopt;
    }
    std::error_code ec;
    // Keep the permissions of a file being replaced.
    const fs::file_status old = fs::status(destination_, ec);
    if (!ec && fs::is_regular_file(old)) fs::permissions(temporary_, old.permissions(), ec);
    fs::rename(temporary_, destination_, ec);
    if (ec) {
        MaybeError failed = file_error(target_, "cannot replace output file: " + ec.message());
        discard();
        return failed;
    }
    temporary_.clear();
    committed_ = true;
    return std::nullopt;
}

void OutputFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty() && !committed_) {
        std::remove(temporary_.c_str());
    }
    temporary_.clear();
}

}  // namespace levelset_prep::textio
