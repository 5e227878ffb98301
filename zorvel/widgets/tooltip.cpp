#include "zorvel/widgets/tooltip.h"

namespace widgets {


Hints::~Hints() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

void Hints::Create(HWND owner) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
}

void Hints::Set(HWND tool, const std::wstring& text) {
    bool known = false;
    for (auto& entry : texts_)
        if (entry.first == tool) {
            entry.second = text;
            known = true;
        }
    if (!known) texts_.emplace_back(tool, text);
    if (!tooltip_) return;
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring Hints::Get(HWND tool) const {
    for (const auto& entry : texts_)
        if (entry.first == tool) return entry.second;
    return {};
}

Tooltip::~Tooltip() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

bool Tooltip::Create(HWND owner, HWND tool, const Options& options) {
    owner_ = owner;
    tool_ = tool;
    DWORD style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | (options.Balloon ? TTS_BALLOON : 0);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return false;
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | (options.Centred ? TTF_CENTERTIP : 0);
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(options.Text.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    // Without a maximum width the tooltip draws "\r\n" as one line.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, options.MaxWidth);
    SendMessageW(tooltip_, TTM_SETTITLEW, static_cast<WPARAM>(options.Icon),
                 reinterpret_cast<LPARAM>(options.Title.c_str()));
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(options.AutoPopMs, 0));
    return true;
}

std::wstring Tooltip::Text() const {
    wchar_t buffer[512] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(tool_);
    info.lpszText = buffer;
    // TTM_GETTEXTW takes the buffer size in wParam from common controls 6 on.
    SendMessageW(tooltip_, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

}  // namespace widgets
