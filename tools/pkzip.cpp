// pkzip ARCHIVE FILES...
//
// Packs the given files into a new ZIP archive; an existing archive is
// replaced. Members are named by the file name alone: an exchange set or a
// backup is always the flat contents of one directory, and the unpacker
// writes into a single directory. libzip writes into a temporary file and
// renames it at the end, so a failed run leaves an existing archive as it was.
//
// Exit status: 0 packed, 1 failed, 2 wrong call. Messages go to stderr.

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int fail(const std::string &message) {
    std::cerr << "pkzip: " << message << '\n';
    return 1;
}

struct ArchiveDiscard {
    void operator()(zip_t *za) const { zip_discard(za); }
};

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::cerr << "Aufruf: pkzip ARCHIV DATEI...\n"
                     "Packt die Dateien in ein neues ZIP-Archiv (ein vorhandenes wird ersetzt).\n";
        return 2;
    }
    const std::string archive = argv[1];

    struct stat archiveStat {};
    const bool archiveExists = ::stat(archive.c_str(), &archiveStat) == 0;

    // Check every file before the archive is touched, so that a bad call
    // changes nothing.
    std::set<std::string> names;
    for (int i = 2; i < argc; ++i) {
        const std::string file = argv[i];
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0)
            return fail("Die Datei \"" + file + "\" gibt es nicht.");
        if (!S_ISREG(st.st_mode))
            return fail("\"" + file + "\" ist keine gewöhnliche Datei.");
        if (::access(file.c_str(), R_OK) != 0)
            return fail("Die Datei \"" + file + "\" kann nicht gelesen werden.");
        if (archiveExists && st.st_dev == archiveStat.st_dev && st.st_ino == archiveStat.st_ino)
            return fail("Das Archiv \"" + archive + "\" kann sich nicht selbst enthalten.");
        const std::string name = fs::path(file).filename().string();
        if (!names.insert(name).second)
            return fail("Zwei Dateien heißen \"" + name + "\"; das Archiv nimmt die Dateien ohne Verzeichnis auf.");
    }

    int error = 0;
    std::unique_ptr<zip_t, ArchiveDiscard> za(zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!za) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const std::string detail = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return fail("Das Archiv \"" + archive + "\" kann nicht angelegt werden (" + detail + ").");
    }

    for (int i = 2; i < argc; ++i) {
        const std::string file = argv[i];
        zip_source_t *source = zip_source_file(za.get(), file.c_str(), 0, -1);
        if (!source)
            return fail("Die Datei \"" + file + "\" kann nicht gelesen werden (" + zip_strerror(za.get()) + ").");
        // File names on this platform are UTF-8; flagging them so keeps
        // umlauts intact for every unpacker.
        const std::string name = fs::path(file).filename().string();
        if (zip_file_add(za.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            return fail("Die Datei \"" + file + "\" kann nicht aufgenommen werden (" + zip_strerror(za.get()) + ").");
        }
    }

    if (zip_close(za.get()) != 0)
        return fail("Das Archiv \"" + archive + "\" kann nicht geschrieben werden (" + zip_strerror(za.get()) + ").");
    za.release(); // zip_close freed it
    return 0;
}
