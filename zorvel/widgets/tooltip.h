// Tooltips: the hints of a window's controls (one tooltip window, one text
// per control), and the single tip with a title, an icon and several lines
// that a window puts on one control (a balloon, if asked).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

namespace widgets {

class Hints {
public:
    Hints() = default;
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;
    ~Hints();
    void Create(HWND owner);
    void Set(HWND tool, const std::wstring& text);
    std::wstring Get(HWND tool) const;
    HWND Handle() const { return tooltip_; }

private:
    HWND tooltip_ = nullptr;
    std::vector<std::pair<HWND, std::wstring>> texts_;
};

class Tooltip {
public:
    struct Options {
        bool Balloon = false;
        bool Centred = false;      // the tip's stem at the middle of the tool (TTF_CENTERTIP)
        int Icon = TTI_INFO;       // TTI_NONE, TTI_INFO, TTI_WARNING, TTI_ERROR
        std::wstring Title;
        std::wstring Text;         // "\r\n" breaks lines
        int AutoPopMs = 30000;     // how long the tip stays
        int MaxWidth = 400;        // lines are broken only when a width is set
    };
    Tooltip() = default;
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;
    ~Tooltip();
    // False when the tooltip window could not be made (the tip is then absent).
    bool Create(HWND owner, HWND tool, const Options& options);
    HWND Handle() const { return tooltip_; }
    std::wstring Text() const;

private:
    HWND tooltip_ = nullptr;
    HWND owner_ = nullptr;
    HWND tool_ = nullptr;
};

}  // namespace widgets
