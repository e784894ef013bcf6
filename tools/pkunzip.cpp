// pkunzip ARCHIVE
//
// Unpacks a ZIP archive into the current directory. An archive is a foreign
// file that may have been made to harm: every entry is checked before
// anything is written, and one entry whose name leaves the current directory
// (absolute, a drive, "..") or that is a symbolic link or a device refuses
// the whole archive. Directories are opened without following links, so an
// existing link cannot lead a file elsewhere either. The members are first
// written to temporary files next to their places and renamed only when
// every one of them has been read completely with a correct checksum; a
// damaged archive leaves the directory as it was.
//
// Exit status: 0 unpacked, 1 failed, 2 wrong call. Messages go to stderr.

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

int fail(const std::string &message) {
    std::cerr << "pkunzip: " << message << '\n';
    return 1;
}

std::string systemError() {
    return std::strerror(errno);
}

struct ArchiveDiscard {
    void operator()(zip_t *za) const { zip_discard(za); }
};
struct MemberClose {
    void operator()(zip_file_t *zf) const { zip_fclose(zf); }
};

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd &operator=(Fd &&other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and tells whether the last writes reached the file.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

struct Member {
    zip_uint64_t index;
    std::string name;              // as stored, for messages
    std::vector<std::string> dirs; // directories below the current one
    std::string file;              // empty for a directory entry
};

// Splits an entry name into its parts; archives made on DOS and Windows use
// backslashes, so both separators count. Returns the reason an entry is
// refused, or an empty text when it stays inside the current directory.
std::string split(const std::string &name, Member &member) {
    if (name.empty())
        return "hat keinen Namen";
    if (name[0] == '/' || name[0] == '\\')
        return "ist ein absoluter Pfad";
    if (name.size() >= 2 && name[1] == ':')
        return "nennt ein Laufwerk";
    std::vector<std::string> parts;
    std::string part;
    for (const char c : name + '/') {
        if (c != '/' && c != '\\') {
            part += c;
            continue;
        }
        if (part == "..")
            return "verweist mit \"..\" aus dem Zielverzeichnis hinaus";
        if (!part.empty() && part != ".")
            parts.push_back(part);
        part.clear();
    }
    const bool isDirectory = name.back() == '/' || name.back() == '\\';
    if (!isDirectory) {
        if (parts.empty())
            return "hat keinen Dateinamen";
        member.file = parts.back();
        parts.pop_back();
    }
    member.dirs = std::move(parts);
    return {};
}

std::string join(const std::vector<std::string> &dirs, const std::string &file) {
    std::string path;
    for (const auto &d : dirs)
        path += d + '/';
    return path + file;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "Aufruf: pkunzip ARCHIV\n"
                     "Entpackt das ZIP-Archiv in das aktuelle Verzeichnis.\n";
        return 2;
    }
    const std::string archive = argv[1];

    struct stat archiveStat {};
    if (::stat(archive.c_str(), &archiveStat) != 0)
        return fail("Das Archiv \"" + archive + "\" gibt es nicht.");

    int error = 0;
    std::unique_ptr<zip_t, ArchiveDiscard> za(zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!za) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const std::string detail = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        if (error == ZIP_ER_OPEN || error == ZIP_ER_READ)
            return fail("Das Archiv \"" + archive + "\" kann nicht gelesen werden (" + detail + ").");
        return fail("Die Datei \"" + archive + "\" ist kein ZIP-Archiv oder ist beschädigt (" + detail + ").");
    }

    const std::string nothing = "; es wurde nichts entpackt.";
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    std::vector<Member> members;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char *rawName = zip_get_name(za.get(), index, ZIP_FL_ENC_GUESS);
        if (!rawName)
            return fail("Das Archiv \"" + archive + "\" ist beschädigt (" + zip_strerror(za.get()) + ")" + nothing);
        Member member{index, rawName, {}, {}};
        const std::string reason = split(member.name, member);
        if (!reason.empty())
            return fail("Der Eintrag \"" + member.name + "\" " + reason + nothing);

        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(za.get(), index, 0, &opsys, &attributes) == 0 && opsys == ZIP_OPSYS_UNIX) {
            const mode_t type = (attributes >> 16) & S_IFMT;
            if (type == S_IFLNK)
                return fail("Der Eintrag \"" + member.name + "\" ist ein symbolischer Verweis" + nothing);
            if (type != 0 && type != S_IFREG && type != S_IFDIR)
                return fail("Der Eintrag \"" + member.name + "\" ist keine gewöhnliche Datei" + nothing);
        }
        zip_stat_t st;
        if (zip_stat_index(za.get(), index, 0, &st) != 0)
            return fail("Das Archiv \"" + archive + "\" ist beschädigt (" + zip_strerror(za.get()) + ")" + nothing);
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return fail("Der Eintrag \"" + member.name + "\" ist verschlüsselt" + nothing);
        if ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))
            return fail("Der Eintrag \"" + member.name + "\" ist mit einem unbekannten Verfahren gepackt" + nothing);
        members.push_back(std::move(member));
    }

    const Fd root(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root)
        return fail("Das aktuelle Verzeichnis kann nicht geöffnet werden (" + systemError() + ").");

    // Temporary files written so far, relative to the current directory,
    // with the names they get at the end.
    std::vector<std::pair<std::string, std::string>> written;
    const auto discardWritten = [&] {
        for (const auto &w : written)
            ::unlinkat(root.get(), w.first.c_str(), 0);
    };
    const auto failWriting = [&](const std::string &message) {
        discardWritten();
        return fail(message + nothing);
    };

    std::vector<char> buffer(1 << 16);
    for (const Member &member : members) {
        Fd dir(::dup(root.get()));
        for (std::size_t d = 0; d < member.dirs.size(); ++d) {
            const std::string &part = member.dirs[d];
            if (::mkdirat(dir.get(), part.c_str(), 0777) != 0 && errno != EEXIST)
                return failWriting("Das Verzeichnis \"" + join({member.dirs.begin(), member.dirs.begin() + d + 1}, "") +
                                   "\" kann nicht angelegt werden (" + systemError() + ")");
            Fd next(::openat(dir.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!next)
                return failWriting("\"" + join({member.dirs.begin(), member.dirs.begin() + d + 1}, "") +
                                   "\" ist kein Verzeichnis (" + systemError() + ")");
            dir = std::move(next);
        }
        if (member.file.empty())
            continue;

        const std::string temp = ".pkunzip-" + std::to_string(::getpid()) + "-" + std::to_string(member.index);
        Fd out(::openat(dir.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!out)
            return failWriting("Die Datei \"" + join(member.dirs, member.file) + "\" kann nicht angelegt werden (" +
                               systemError() + ")");
        written.emplace_back(join(member.dirs, temp), join(member.dirs, member.file));

        std::unique_ptr<zip_file_t, MemberClose> in(zip_fopen_index(za.get(), member.index, 0));
        if (!in)
            return failWriting("Der Eintrag \"" + member.name + "\" kann nicht gelesen werden (" +
                               zip_strerror(za.get()) + ")");
        for (;;) {
            // zip_fread checks the checksum at the end of the member and
            // fails on a mismatch or on data that stops short.
            const zip_int64_t n = zip_fread(in.get(), buffer.data(), buffer.size());
            if (n < 0)
                return failWriting("Der Eintrag \"" + member.name + "\" ist beschädigt (" +
                                   zip_file_strerror(in.get()) + ")");
            if (n == 0)
                break;
            for (zip_int64_t done = 0; done < n;) {
                const ssize_t w = ::write(out.get(), buffer.data() + done, static_cast<std::size_t>(n - done));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    return failWriting("Die Datei \"" + join(member.dirs, member.file) +
                                       "\" kann nicht geschrieben werden (" + systemError() + ")");
                }
                done += w;
            }
        }
        zip_stat_t st;
        if (zip_stat_index(za.get(), member.index, 0, &st) == 0 && (st.valid & ZIP_STAT_MTIME)) {
            const timespec times[2] = {{0, UTIME_OMIT}, {st.mtime, 0}};
            ::futimens(out.get(), times);
        }
        if (!out.close())
            return failWriting("Die Datei \"" + join(member.dirs, member.file) + "\" kann nicht geschrieben werden (" +
                               systemError() + ")");
    }

    for (std::size_t i = 0; i < written.size(); ++i) {
        if (::renameat(root.get(), written[i].first.c_str(), root.get(), written[i].second.c_str()) != 0) {
            const std::string detail = systemError();
            for (std::size_t j = i; j < written.size(); ++j)
                ::unlinkat(root.get(), written[j].first.c_str(), 0);
            return fail("Die Datei \"" + written[i].second + "\" kann nicht angelegt werden (" + detail + ").");
        }
    }
    return 0;
}
