#include "fleet.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "values.h"

namespace zorvelctl {

namespace {

// The widths of the transport objects' fields the targets end up in.
constexpr std::size_t kHostMax = 15;       // cRavlo::IPv4
constexpr std::size_t kUsbNameMax = 10;    // cFTD::DeviceName
constexpr std::size_t kNumberMax = 12;     // cGSM::CSD_Number

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void CheckUsbName(const std::string& name, const std::string& target) {
    bool digits = name.size() > 3 && std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (name.compare(0, 3, "DEV") != 0 || !digits || name.size() > kUsbNameMax)
        throw UsageError{"the USB adapter must be DEV<n>: " + target};
}

// --- Fleet entries ------------------------------------------------------------------

const std::set<std::string> kColumns = {"name", "target", "date", "time", "mode", "interval", "hours", "brightness"};

// One entry's cells by column name; empty cells are left out.
using Cells = std::map<std::string, std::string>;

FleetBoard MakeBoard(const Cells& cells, int line) {
    FleetBoard board;
    board.Line = line;
    auto cell = [&](const char* name) -> const std::string* {
        auto it = cells.find(name);
        return it == cells.end() ? nullptr : &it->second;
    };
    if (!cell("name") || cell("name")->empty()) throw UsageError{"the board has no name"};
    board.Name = *cell("name");
    for (char c : board.Name)
        if (static_cast<unsigned char>(c) < 0x20) throw UsageError{"the name holds a control character"};
    if (!cell("target")) throw UsageError{"board " + board.Name + " has no target"};
    board.Where = ParseTarget(*cell("target"));
    if (auto* v = cell("date")) board.Values.Date = ParseDate(*v);
    if (auto* v = cell("time")) board.Values.Time = ParseTime(*v);
    if (auto* v = cell("mode")) board.Values.Mode = Number(*v, 1, 4, "mode");
    if (auto* v = cell("interval")) board.Values.Interval = Number(*v, 1, 255, "interval");
    if (auto* v = cell("hours")) board.Values.Hours = ParseFour(*v, 0, 23, "hours");
    if (auto* v = cell("brightness")) board.Values.Brightness = ParseFour(*v, 20, 100, "brightness");
    return board;
}

// --- CSV ----------------------------------------------------------------------------

// Splits one line into fields: commas separate, a field in double quotes may
// hold commas, and "" inside it stands for one quote.
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) throw UsageError{"a quoted field is not closed"};
    for (std::string& field : fields) field = Trim(field);
    return fields;
}

std::vector<FleetBoard> ParseCsv(const std::string& content, const std::string& file) {
    std::vector<FleetBoard> boards;
    std::vector<std::string> header;
    int number = 0;
    for (std::string line : Split(content, '\n')) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        try {
            std::vector<std::string> fields = CsvFields(line);
            if (header.empty()) {
                for (std::string& name : fields) {
                    name = Lower(name);
                    if (!kColumns.count(name)) throw UsageError{"unknown column \"" + name + "\""};
                    if (std::count(fields.begin(), fields.end(), name) > 1)
                        throw UsageError{"column \"" + name + "\" given twice"};
                }
                if (!std::count(fields.begin(), fields.end(), "name") || !std::count(fields.begin(), fields.end(), "target"))
                    throw UsageError{"the header must name the columns name and target"};
                header = fields;
                continue;
            }
            if (fields.size() > header.size())
                throw UsageError{std::to_string(fields.size()) + " fields, the header has " +
                                 std::to_string(header.size())};
            Cells cells;
            for (std::size_t i = 0; i < fields.size(); ++i)
                if (!fields[i].empty()) cells[header[i]] = fields[i];
            boards.push_back(MakeBoard(cells, number));
        } catch (const UsageError& e) {
            throw UsageError{file + ":" + std::to_string(number) + ": " + e.Text};
        }
    }
    if (header.empty()) throw UsageError{file + ": no header line (name,target,...)"};
    return boards;
}

// --- JSON ---------------------------------------------------------------------------

std::string CellText(const nlohmann::json& value, const std::string& key) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_unsigned() || value.is_number_integer()) return std::to_string(value.get<long long>());
    if (value.is_array() && (key == "hours" || key == "brightness")) {
        std::string joined;
        for (const auto& item : value) {
            if (!item.is_number_integer() && !item.is_number_unsigned())
                throw UsageError{key + " must hold four whole numbers"};
            joined += (joined.empty() ? "" : ",") + std::to_string(item.get<long long>());
        }
        return joined;
    }
    throw UsageError{key + " has a value of the wrong kind: " + value.dump()};
}

std::vector<FleetBoard> ParseJson(const std::string& content, const std::string& file) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(content);
    } catch (const nlohmann::json::parse_error& e) {
        throw UsageError{file + ": not valid JSON (" + e.what() + ")"};
    }
    const nlohmann::json* entries = &document;
    if (document.is_object() && document.contains("boards")) entries = &document["boards"];
    if (!entries->is_array()) throw UsageError{file + ": expected an array of boards, or {\"boards\": [...]}"};
    std::vector<FleetBoard> boards;
    int number = 0;
    for (const nlohmann::json& entry : *entries) {
        ++number;
        try {
            if (!entry.is_object()) throw UsageError{"an entry must be an object"};
            Cells cells;
            for (const auto& [key, value] : entry.items()) {
                if (!kColumns.count(key)) throw UsageError{"unknown key \"" + key + "\""};
                if (!value.is_null()) cells[key] = CellText(value, key);
            }
            boards.push_back(MakeBoard(cells, number));
        } catch (const UsageError& e) {
            throw UsageError{file + ": board entry " + std::to_string(number) + ": " + e.Text};
        }
    }
    return boards;
}

}  // namespace

Target ParseTarget(const std::string& text) {
    Target target;
    target.Text = text;
    std::size_t colon = text.find(':');
    std::string scheme = colon == std::string::npos ? text : Lower(text.substr(0, colon));
    std::string rest = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (scheme == "tcp") {
        target.Via = Target::Kind::Tcp;
        std::size_t last = rest.rfind(':');
        if (last == std::string::npos || last == 0) throw UsageError{"expected tcp:HOST:PORT: " + text};
        target.Host = rest.substr(0, last);
        if (target.Host.size() > kHostMax) throw UsageError{"the host may have at most 15 characters: " + text};
        target.Port = Number(rest.substr(last + 1), 1, 65535, "the port");
    } else if (scheme == "serial") {
        target.Via = Target::Kind::Serial;
        std::size_t at = rest.rfind('@');
        target.Device = rest.substr(0, at);
        if (at != std::string::npos) target.Baud = Number(rest.substr(at + 1), 50, 4000000, "the baud rate");
        if (target.Device.empty() || target.Device.size() >= 260) throw UsageError{"expected serial:DEV[@BAUD]: " + text};
    } else if (scheme == "usb") {
        target.Via = Target::Kind::Usb;
        target.Device = rest;
        CheckUsbName(target.Device, text);
    } else if (scheme == "gsm" || scheme == "radio") {
        std::size_t second = rest.find(':');
        if (second == std::string::npos) throw UsageError{"expected " + scheme + ":DEV<n>:" +
                                                          (scheme == "gsm" ? "NUMBER: " : "CHANNEL: ") + text};
        target.Device = rest.substr(0, second);
        CheckUsbName(target.Device, text);
        std::string last = rest.substr(second + 1);
        if (scheme == "gsm") {
            target.Via = Target::Kind::Gsm;
            if (last.empty() || last.size() > kNumberMax) throw UsageError{"the number must have 1..12 characters: " + text};
            target.Number = last;
        } else {
            target.Via = Target::Kind::Radio;
            target.Channel = Number(last, 1, 35, "the radio channel");
        }
    } else {
        throw UsageError{"unknown transport (tcp, serial, usb, gsm, radio): " + text};
    }
    return target;
}

std::string SharedResource(const Target& target) {
    switch (target.Via) {
        case Target::Kind::Tcp: return "tcp:" + Lower(target.Host) + ":" + std::to_string(target.Port);
        case Target::Kind::Serial: {
            bool comName = Lower(target.Device).compare(0, 3, "com") == 0;
            return "serial:" + (comName ? Lower(target.Device) : target.Device);
        }
        case Target::Kind::Usb:
        case Target::Kind::Gsm:
        case Target::Kind::Radio: return "usb:" + target.Device;
    }
    return target.Text;
}

std::vector<FleetBoard> ParseFleet(const std::string& content, const std::string& file) {
    std::size_t first = content.find_first_not_of(" \t\r\n");
    bool json = first != std::string::npos && (content[first] == '[' || content[first] == '{');
    std::vector<FleetBoard> boards = json ? ParseJson(content, file) : ParseCsv(content, file);
    if (boards.empty()) throw UsageError{file + ": no boards"};
    std::map<std::string, int> seen;
    const char* where = json ? ": board entry " : ":";
    for (const FleetBoard& board : boards) {
        auto [it, fresh] = seen.emplace(board.Name, board.Line);
        if (!fresh)
            throw UsageError{file + where + std::to_string(board.Line) + ": the name " + board.Name +
                             " is already used (" + (json ? "entry " : "line ") + std::to_string(it->second) + ")"};
    }
    return boards;
}

std::vector<std::vector<std::size_t>> Lanes(const std::vector<FleetBoard>& boards) {
    std::vector<std::vector<std::size_t>> lanes;
    std::map<std::string, std::size_t> laneOf;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        auto [it, fresh] = laneOf.emplace(SharedResource(boards[i].Where), lanes.size());
        if (fresh) lanes.emplace_back();
        lanes[it->second].push_back(i);
    }
    return lanes;
}

void RunLanes(const std::vector<std::vector<std::size_t>>& lanes, unsigned jobs,
              const std::function<void(std::size_t board)>& work) {
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto worker = [&] {
        for (std::size_t lane = next++; lane < lanes.size(); lane = next++) {
            for (std::size_t board : lanes[lane]) {
                try {
                    work(board);
                } catch (...) {
                    std::lock_guard<std::mutex> hold(failureLock);
                    if (!failure) failure = std::current_exception();
                }
            }
        }
    };
    std::size_t count = std::min<std::size_t>(std::max(jobs, 1u), lanes.size());
    std::vector<std::thread> workers;
    workers.reserve(count);
    for (std::size_t i = 0; i < count; ++i) workers.emplace_back(worker);
    for (std::thread& t : workers) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace zorvelctl
