#include "zorvel/config/settings.h"

#include <algorithm>
#include <cstring>

#include "zorvel/config/profile.h"

namespace config {

const char* const kCommonFile = "Common.ini";
const char* const kControllerFile = "Zorvel.ini";
const char* const kSlavesFile = "CSD_Numbers.ini";
const char* const kChannelsFile = "RFM.ini";

namespace {

std::string IndexedKey(const char* prefix, std::size_t index, const char* suffix = "") {
    return prefix + std::to_string(index) + suffix;
}

std::string InterfaceKey(int i) { return IndexedKey("Interfaces[", static_cast<std::size_t>(i), "]"); }
std::string NumberKey(std::size_t i) { return IndexedKey("N", i); }
std::string CommentKey(std::size_t i) { return IndexedKey("C", i); }
std::string ChannelKey(int channel) { return IndexedKey("Freq[", static_cast<std::size_t>(channel), "].Comment"); }

// Copies text into a fixed field, cut so that the NUL always fits.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
    std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N - 1));
}

// A Count above the room of the list holds and saves as many as fit.
std::size_t HeldEntries(std::uint32_t count) { return std::min<std::size_t>(count, kSlaveCapacity); }

ProfileFile FileIn(const std::string& dir, const char* name) { return ProfileFile(compat::JoinPath(dir, name)); }

// Runs the writes of one file in order; the first refused one is reported and
// stops everything after it.
class SaveRun {
public:
    explicit SaveRun(void* owner) : owner_(owner) {}

    bool ok() const { return ok_; }

    void String(const ProfileFile& file, const char* section, const std::string& key, const std::string& value) {
        if (ok_) Check(file, file.WriteString(section, key.c_str(), value));
    }
    void Integer(const ProfileFile& file, const char* section, const char* key, long long value) {
        if (ok_) Check(file, file.WriteInteger(section, key, value));
    }
    void Bool(const ProfileFile& file, const char* section, const char* key, bool value) {
        if (ok_) Check(file, file.WriteBool(section, key, value));
    }

private:
    void Check(const ProfileFile& file, bool written) {
        if (written) return;
        ok_ = false;
        std::string message = "Unable to write to " + file.Path();
        compat::ShowBox(owner_, compat::Box::Error, message);
    }

    void* owner_;
    bool ok_ = true;
};

}  // namespace

bool IsValidInterface(int index) { return board::IsInterface(index); }

std::string Settings::InterfaceName(int index) const {
    return IsValidInterface(index) ? FieldText(Interfaces[index]) : std::string();
}

void Settings::CopySelectedSlaveNumber(char* dest, std::size_t size) const {
    if (dest == nullptr || size == 0) return;
    std::string number;
    if (Index >= 0 && static_cast<std::size_t>(Index) < HeldEntries(Count)) number = FieldText(Slaves[Index].Number);
    std::size_t n = std::min(number.size(), size - 1);
    std::memcpy(dest, number.data(), n);
    dest[n] = '\0';
}

void Settings::LoadCommonAndController(const std::string& dir) {
    Settings& s = *this;
    const ProfileFile common = FileIn(dir, kCommonFile);
    s.Interface = static_cast<std::int8_t>(common.ReadInteger("COMMON", "Interface", 0));
    for (int i = 0; i < kInterfaceCount; ++i) {
        CopyField(s.Interfaces[i], common.ReadString("COMMON", InterfaceKey(i).c_str(), ""));
    }
    s.ControllerSetting = common.ReadBool("COMMON", "ControllerSetting", false);

    board::BoardSettings& b = s.Board;
    s.Refresh = common.ReadBool("TIME", "Refresh", false);
    b.HourM = static_cast<std::int8_t>(common.ReadInteger("TIME", "HourM", 6));
    b.HourA = static_cast<std::int8_t>(common.ReadInteger("TIME", "HourA", 10));
    b.HourE = static_cast<std::int8_t>(common.ReadInteger("TIME", "HourE", 16));
    b.HourN = static_cast<std::int8_t>(common.ReadInteger("TIME", "HourN", 21));
    b.BrightM = static_cast<std::int8_t>(common.ReadInteger("TIME", "BrightM", 100));
    b.BrightA = static_cast<std::int8_t>(common.ReadInteger("TIME", "BrightA", 100));
    b.BrightE = static_cast<std::int8_t>(common.ReadInteger("TIME", "BrightE", 100));
    b.BrightN = static_cast<std::int8_t>(common.ReadInteger("TIME", "BrightN", 100));

    const ProfileFile controller = FileIn(dir, kControllerFile);
    s.BoardN = static_cast<std::uint16_t>(controller.ReadInteger("ZVL", "BoardN", 0));
    s.RepeatsC = static_cast<std::int8_t>(controller.ReadInteger("ZVL", "RepeatsC", 3));
    b.Mode = static_cast<std::int8_t>(controller.ReadInteger("ZVL", "Mode", 0));
    if (b.Mode < 1 || b.Mode > 4) b.Mode = 1;
    b.Interval = static_cast<std::uint8_t>(controller.ReadInteger("ZVL", "Interval", 0));
}

void Settings::LoadSlavesAndChannels(char* csdNumber, std::size_t csdSize, const std::string& dir) {
    Settings& s = *this;
    const ProfileFile slaves = FileIn(dir, kSlavesFile);
    s.Count = static_cast<std::uint32_t>(slaves.ReadInteger("SLAVES", "Count", 1));
    s.Count = static_cast<std::uint32_t>(HeldEntries(s.Count));
    s.Index = slaves.ReadInteger("SLAVES", "Index", 0);
    for (std::size_t i = 0; i < kSlaveCapacity; ++i) {
        SlaveEntry& entry = s.Slaves[i];
        if (i < s.Count) {
            CopyField(entry.Number, slaves.ReadString("SLAVES", NumberKey(i).c_str(), ""));
            entry.Comment = slaves.ReadString("SLAVES", CommentKey(i).c_str(), "");
        } else {
            entry = SlaveEntry();
        }
    }
    CopySelectedSlaveNumber(csdNumber, csdSize);

    const ProfileFile channels = FileIn(dir, kChannelsFile);
    for (int n = 1; n <= kChannelCount; ++n) {
        s.FreqComment[n - 1] = channels.ReadString("RFM", ChannelKey(n).c_str(), "");
    }
}

void Settings::Load(char* csdNumber, std::size_t csdSize, const std::string& dir) {
    LoadCommonAndController(dir);
    LoadSlavesAndChannels(csdNumber, csdSize, dir);
}

bool Settings::Save(void* owner, const std::string& dir) const {
    const Settings& s = *this;
    SaveRun run(owner);
    const board::BoardSettings& b = s.Board;

    const ProfileFile common = FileIn(dir, kCommonFile);
    run.Integer(common, "COMMON", "Interface", s.Interface);
    run.Bool(common, "TIME", "Refresh", s.Refresh);
    run.Integer(common, "TIME", "HourM", b.HourM);
    run.Integer(common, "TIME", "HourA", b.HourA);
    run.Integer(common, "TIME", "HourE", b.HourE);
    run.Integer(common, "TIME", "HourN", b.HourN);
    run.Integer(common, "TIME", "BrightM", b.BrightM);
    run.Integer(common, "TIME", "BrightA", b.BrightA);
    run.Integer(common, "TIME", "BrightE", b.BrightE);
    run.Integer(common, "TIME", "BrightN", b.BrightN);

    const ProfileFile controller = FileIn(dir, kControllerFile);
    run.Integer(controller, "ZVL", "BoardN", s.BoardN);
    run.Integer(controller, "ZVL", "RepeatsC", s.RepeatsC);
    run.Integer(controller, "ZVL", "Mode", b.Mode);
    run.Integer(controller, "ZVL", "Interval", b.Interval);

    const ProfileFile slaves = FileIn(dir, kSlavesFile);
    const std::size_t entries = HeldEntries(s.Count);
    run.Integer(slaves, "SLAVES", "Count", static_cast<long long>(entries));
    run.Integer(slaves, "SLAVES", "Index", s.Index);
    for (std::size_t i = 0; i < entries; ++i) {
        run.String(slaves, "SLAVES", NumberKey(i), FieldText(s.Slaves[i].Number));
        run.String(slaves, "SLAVES", CommentKey(i), s.Slaves[i].Comment);
    }

    const ProfileFile channels = FileIn(dir, kChannelsFile);
    for (int n = 1; n <= kChannelCount; ++n) run.String(channels, "RFM", ChannelKey(n), s.FreqComment[n - 1]);

    return run.ok();
}

}  // namespace config
