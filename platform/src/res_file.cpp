// Reading the resources of a module's file without loading it: the ELF
// program headers lead to the PT_NOTE segment that holds the resource note.
#include "res_blob.h"

#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

constexpr uint64_t kMaxNoteBytes = 256u << 20;

class File {
public:
    explicit File(const char *path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0) ::close(fd_);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    int fd() const { return fd_; }
    bool read(uint64_t offset, void *buf, size_t n) const {
        auto *p = static_cast<uint8_t *>(buf);
        while (n > 0) {
            ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(offset));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            p += r, n -= static_cast<size_t>(r), offset += static_cast<uint64_t>(r);
        }
        return true;
    }

private:
    int fd_;
};

DWORD openError(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_OPEN_FAILED;
    }
}


}  // namespace

// The resource blob of an ELF file, read whole.
bool readFileBlob(const char *path, std::vector<uint32_t> *blob, size_t *blobSize, DWORD *error) {
    if (path == nullptr || *path == '\0') {
        *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    File f(path);
    struct stat st;
    if (f.fd() < 0 || ::fstat(f.fd(), &st) != 0) {
        *error = openError(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    Elf64_Ehdr eh;
    if (fileSize < sizeof eh || !f.read(0, &eh, sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB ||
        eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_phnum > 1024 || eh.e_phoff > fileSize ||
        eh.e_phnum * sizeof(Elf64_Phdr) > fileSize - eh.e_phoff) {
        *error = ERROR_BAD_FORMAT;
        return false;
    }
    std::vector<Elf64_Phdr> ph(eh.e_phnum);
    if (!ph.empty() && !f.read(eh.e_phoff, ph.data(), ph.size() * sizeof(Elf64_Phdr))) {
        *error = ERROR_BAD_FORMAT;
        return false;
    }
    for (const Elf64_Phdr &p : ph) {
        if (p.p_type != PT_NOTE || p.p_offset > fileSize || p.p_filesz > fileSize - p.p_offset ||
            p.p_filesz > kMaxNoteBytes)
            continue;
        std::vector<uint8_t> region(p.p_filesz);
        if (!f.read(p.p_offset, region.data(), region.size())) continue;
        size_t off, size;
        if (scanNotes(region.data(), region.size(), p.p_align, &off, &size)) {
            // 32-bit words, so the entry table is aligned.
            blob->assign((size + 3) / 4, 0);
            if (size) std::memcpy(blob->data(), region.data() + off, size);
            *blobSize = size;
            return true;
        }
    }
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return false;
}

bool fileResource(const char *path, const ResKey &type, const ResKey *name, std::vector<uint8_t> *data,
                  DWORD *error) {
    std::vector<uint32_t> words;
    size_t size = 0;
    if (!readFileBlob(path, &words, &size, error)) return false;
    ResBlob blob;
    if (!blob.attach(reinterpret_cast<const uint8_t *>(words.data()), size)) {
        *error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return false;
    }
    const ResBlobEntry *e = nullptr;
    if (name != nullptr) {
        e = blob.find(type, *name, error);
    } else {
        *error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        for (uint32_t i = 0; i < blob.count() && e == nullptr; ++i) {
            const ResBlobEntry &c = blob.entries()[i];
            if (!type.isName && c.type == type.id) e = &c;
        }
    }
    if (e == nullptr) return false;
    data->assign(blob.entryData(e), blob.entryData(e) + e->dataSize);
    return true;
}

}  // namespace platform
