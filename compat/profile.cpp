// The private-profile functions for Linux, with the rules a caller sees on
// Windows. The file is read whole on every call (no cache, so a change made by
// anyone else is seen at once) and handled as raw bytes: INI text is 8-bit and
// is never converted. A write edits only the bytes it has to: the value of an
// existing key, one inserted line, or the lines of a deleted key or section;
// every other byte, comments, blank lines and line ends included, stays.
#ifndef _WIN32

#include "profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kNewLine = "\r\n";

// Around names and values in the file, tabs count as blanks too.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Section and key arguments lose their outer spaces (only spaces, not tabs).
std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Strings end at their first NUL, as they do for the ANSI functions; a NUL
// byte read from a file cuts the name or value there.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Case folding of Windows-1251: ASCII and the Cyrillic letters of the code page.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а..я -> А..Я
    switch (c) {
        case 0x90: return 0x80;  // ђ Ђ
        case 0x83: return 0x81;  // ѓ Ѓ
        case 0x9A: return 0x8A;  // љ Љ
        case 0x9C: return 0x8C;  // њ Њ
        case 0x9D: return 0x8D;  // ќ Ќ
        case 0x9E: return 0x8E;  // ћ Ћ
        case 0x9F: return 0x8F;  // џ Џ
        case 0xA2: return 0xA1;  // ў Ў
        case 0xBC: return 0xA3;  // ј Ј
        case 0xB4: return 0xA5;  // ґ Ґ
        case 0xB8: return 0xA8;  // ё Ё
        case 0xBA: return 0xAA;  // є Є
        case 0xBF: return 0xAF;  // ї Ї
        case 0xB3: return 0xB2;  // і І
        case 0xBE: return 0xBD;  // ѕ Ѕ
        default: return c;
    }
}

bool SameName(std::string_view a, std::string_view b) {
    a = UpToNul(a);
    b = UpToNul(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

enum class LineKind { Blank, Section, Entry };

// One line of the file. Offsets index the file's bytes; views point into them.
struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // end of the content, before the line end
    std::size_t next = 0;   // first byte of the next line
    LineKind kind = LineKind::Blank;
    std::string_view name;  // section or key name, trimmed
    bool hasValue = false;  // an entry with '='
    std::size_t nameEnd = 0;
    std::size_t valueBegin = 0;  // after '=' and the blanks that follow it
    std::string_view value;      // trimmed
};

// Lines end in CRLF, LF or CR.
std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        line.end = end;
        line.next = end;
        if (end < text.size()) {
            line.next = end + 1;
            if (text[end] == '\r' && line.next < text.size() && text[line.next] == '\n') ++line.next;
        }
        pos = line.next;
        lines.push_back(line);
    }
    return lines;
}

void Classify(std::string_view text, Line& line) {
    std::string_view raw = text.substr(line.begin, line.end - line.begin);
    std::string_view content = TrimRight(TrimLeft(raw));
    if (content.empty()) return;
    const std::size_t contentBegin = line.begin + static_cast<std::size_t>(content.data() - raw.data());

    // A section header runs from '[' to the last ']' of the line; anything
    // after it is ignored. Without a ']' the line is an ordinary entry.
    if (content.front() == '[') {
        std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = TrimRight(TrimLeft(content.substr(1, close - 1)));
            return;
        }
    }

    line.kind = LineKind::Entry;
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        line.name = content;
        line.nameEnd = contentBegin + content.size();
        return;
    }
    line.name = TrimRight(content.substr(0, equals));
    line.nameEnd = contentBegin + line.name.size();
    line.hasValue = true;
    line.value = TrimLeft(content.substr(equals + 1));
    line.valueBegin = contentBegin + content.size() - line.value.size();
}

// The parsed file. Lines before the first header form a nameless section,
// which a section argument of "" reaches.
class Profile {
public:
    explicit Profile(std::string text) : text_(std::move(text)), lines_(SplitLines(text_)) {
        for (Line& line : lines_) Classify(text_, line);
    }

    const std::string& Text() const { return text_; }

    // The lines of a section: [header, end). header is npos for the
    // nameless section at the top, which has no header line.
    struct Section {
        std::size_t header;
        std::size_t first;  // first line after the header
        std::size_t end;    // the next header, or the end of the file
    };

    // The first section of that name wins; later ones are never read.
    std::optional<Section> FindSection(std::string_view name) const {
        if (name.empty()) return Section{std::string::npos, 0, NextHeader(0)};
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind == LineKind::Section && SameName(lines_[i].name, name)) {
                return Section{i, i + 1, NextHeader(i + 1)};
            }
        }
        return std::nullopt;
    }

    // The first line of the section that names the key, with or without '='.
    std::optional<std::size_t> FindKey(const Section& section, std::string_view key) const {
        for (std::size_t i = section.first; i < section.end; ++i) {
            if (lines_[i].kind == LineKind::Entry && SameName(lines_[i].name, key)) return i;
        }
        return std::nullopt;
    }

    const Line& At(std::size_t index) const { return lines_[index]; }
    std::size_t LineCount() const { return lines_.size(); }

    std::vector<std::string_view> SectionNames() const {
        std::vector<std::string_view> names;
        for (const Line& line : lines_) {
            if (line.kind == LineKind::Section && !UpToNul(line.name).empty()) names.push_back(UpToNul(line.name));
        }
        return names;
    }

    // Keys with a value; comment lines (';') and lines without '=' are not keys.
    std::vector<std::string_view> KeyNames(const Section& section) const {
        std::vector<std::string_view> names;
        for (std::size_t i = section.first; i < section.end; ++i) {
            const Line& line = lines_[i];
            std::string_view name = UpToNul(line.name);
            if (line.kind == LineKind::Entry && line.hasValue && !name.empty() && name.front() != ';') {
                names.push_back(name);
            }
        }
        return names;
    }

    // Where a new key of the section goes: after its last non-blank line
    // (the header when it has none), so blank lines before the next section stay
    // where they are. Returns the byte offset and whether a line end must be
    // written first (the anchor line is the file's last and has none).
    std::pair<std::size_t, bool> InsertionPoint(const Section& section) const {
        std::size_t anchor = section.header;
        for (std::size_t i = section.first; i < section.end; ++i) {
            if (lines_[i].kind != LineKind::Blank) anchor = i;
        }
        if (anchor == std::string::npos) return {0, false};
        const Line& line = lines_[anchor];
        return {line.next, line.next == line.end};
    }

private:
    std::size_t NextHeader(std::size_t from) const {
        while (from < lines_.size() && lines_[from].kind != LineKind::Section) ++from;
        return from;
    }

    std::string text_;
    std::vector<Line> lines_;
};

// Reads the whole file. A missing file reads as empty; any other failure
// (a directory, no permission) gives nullopt.
std::optional<std::string> ReadFile(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');  // one spare byte sees growth
    std::size_t length = 0;
    for (;;) {
        if (length == text.size()) text.resize(text.size() * 2);
        ssize_t n = read(fd, &text[length], text.size() - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        length += static_cast<std::size_t>(n);
    }
    close(fd);
    text.resize(length);
    return text;
}

// Rewrites the file in place, as the platform does (the file keeps its
// identity, owner and permissions).
bool WriteFile(const char* path, const std::string& text) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return close(fd) == 0;
}

// One pair of matching outer quotes (" or ') is removed.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A single string: cut to size - 1 characters, NUL-terminated.
DWORD CopyString(std::string_view text, LPSTR out, DWORD size) {
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// A list of NUL-terminated names ending in a second NUL. When the buffer is
// too small the list is cut, still ends in two NULs, and the result is size - 2.
DWORD CopyList(const std::vector<std::string_view>& names, LPSTR out, DWORD size) {
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    std::size_t room = size - 1;  // one byte is kept for the final NUL
    char* at = out;
    for (std::string_view name : names) {
        std::size_t need = name.size() + 1;
        if (need >= room) {
            std::memcpy(at, name.data(), room - 1);
            at += room - 1;
            *at++ = '\0';
            *at = '\0';
            return size - 2;
        }
        std::memcpy(at, name.data(), name.size());
        at += name.size();
        *at++ = '\0';
        room -= need;
    }
    *at = '\0';
    return static_cast<DWORD>(at - out);
}

// Calls of one process do not interleave, as on Windows: each write is a
// read-modify-write of the whole file.
std::mutex& ProfileLock() {
    static std::mutex lock;
    return lock;
}

// The file's text after the write, or nullopt when nothing changes.
std::optional<std::string> Edit(const Profile& profile, std::string_view sectionName, LPCSTR key, LPCSTR value) {
    const std::string& text = profile.Text();
    std::optional<Profile::Section> section = profile.FindSection(sectionName);

    if (key == nullptr) {  // delete the section, its header and every line up to the next one
        if (!section) return std::nullopt;
        std::size_t from = section->header != std::string::npos ? profile.At(section->header).begin : 0;
        std::size_t to = section->end < profile.LineCount() ? profile.At(section->end).begin : text.size();
        if (to == from) return std::nullopt;
        return text.substr(0, from) + text.substr(to);
    }

    std::string_view keyName = TrimSpaces(key);
    std::optional<std::size_t> found = section ? profile.FindKey(*section, keyName) : std::nullopt;

    if (value == nullptr) {  // delete the first line of that key
        if (!found) return std::nullopt;
        const Line& line = profile.At(*found);
        return text.substr(0, line.begin) + text.substr(line.next);
    }

    std::string_view newValue = TrimLeft(value);
    if (found) {
        const Line& line = profile.At(*found);
        if (line.hasValue) {
            if (UpToNul(line.value) == newValue) return std::nullopt;
            return text.substr(0, line.valueBegin) + std::string(newValue) + text.substr(line.end);
        }
        return text.substr(0, line.nameEnd) + "=" + std::string(newValue) + text.substr(line.end);
    }

    std::string entry = std::string(keyName) + "=" + std::string(newValue) + std::string(kNewLine);
    if (section) {
        auto [at, needsLineEnd] = profile.InsertionPoint(*section);
        return text.substr(0, at) + (needsLineEnd ? std::string(kNewLine) : std::string()) + entry + text.substr(at);
    }
    std::string appended = text;
    if (!appended.empty() && appended.back() != '\n' && appended.back() != '\r') appended += kNewLine;
    appended += "[" + std::string(sectionName) + "]" + std::string(kNewLine) + entry;
    return appended;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size, LPCSTR file) {
    if (out == nullptr || size == 0) return 0;

    // Trailing spaces of the default go; it then loses outer quotes as a value does.
    std::string_view fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    fallback = Unquote(fallback);

    std::lock_guard<std::mutex> guard(ProfileLock());
    std::optional<std::string> text = file ? ReadFile(file) : std::nullopt;
    Profile profile(text.value_or(std::string()));

    if (section == nullptr) return CopyList(profile.SectionNames(), out, size);

    std::optional<Profile::Section> found = profile.FindSection(TrimSpaces(section));
    if (key == nullptr) {
        std::vector<std::string_view> keys;
        if (found) keys = profile.KeyNames(*found);
        if (keys.empty()) return CopyString(fallback, out, size);
        return CopyList(keys, out, size);
    }

    if (found) {
        if (std::optional<std::size_t> line = profile.FindKey(*found, TrimSpaces(key))) {
            const Line& entry = profile.At(*line);
            if (entry.hasValue) return CopyString(Unquote(UpToNul(entry.value)), out, size);
        }
    }
    return CopyString(fallback, out, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (section == nullptr || file == nullptr) return 0;

    std::lock_guard<std::mutex> guard(ProfileLock());
    std::optional<std::string> text = ReadFile(file);
    if (!text) return 0;
    Profile profile(std::move(*text));
    std::optional<std::string> edited = Edit(profile, TrimSpaces(section), key, value);
    if (!edited) return 1;
    return WriteFile(file, *edited) ? 1 : 0;
}

#endif  // !_WIN32
