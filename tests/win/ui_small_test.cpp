// The small windows under Wine: the about window (texts, layout, pictures,
// tooltips, copy menu, keys), the scheme window's sizing and failures, the
// input dialog, the status window (shown without activation, dragged by the
// left button only) and the GSM window (gauge by pixels, placement, network).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "compat/platform.h"
#include "ui_support.h"
#include "zorvel/Unitabout.h"
#include "zorvel/Unitgsm.h"
#include "zorvel/Unitimage.h"
#include "zorvel/Unitinput.h"
#include "zorvel/Unitstat.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/drag.h"
#include "zorvel/widgets/images.h"

namespace {

using widgets::Form;

// A 24-bit picture of one colour whose bottom-left pixel is the transparent key.
void WriteBmp(const std::string& path, int width, int height, COLORREF colour, COLORREF key = RGB(255, 0, 255)) {
    const int stride = (width * 3 + 3) & ~3;
    const int size = 54 + stride * height;
    std::vector<unsigned char> b(static_cast<size_t>(size), 0);
    auto put = [&](int at, unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) b[static_cast<size_t>(at + i)] = static_cast<unsigned char>(value >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, static_cast<unsigned>(size), 4), put(10, 54, 4), put(14, 40, 4);
    put(18, static_cast<unsigned>(width), 4), put(22, static_cast<unsigned>(height), 4), put(26, 1, 2), put(28, 24, 2);
    for (int row = 0; row < height; ++row)  // bottom-up: row 0 is the bottom line
        for (int x = 0; x < width; ++x) {
            COLORREF c = row == 0 && x == 0 ? key : colour;
            size_t at = static_cast<size_t>(54 + row * stride + x * 3);
            b[at] = GetBValue(c), b[at + 1] = GetGValue(c), b[at + 2] = GetRValue(c);
        }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), size);
}

std::string TempDir(const char* name) {
    std::string dir = compat::JoinPath(compat::ExecutableDir(), name);
    CreateDirectoryW(compat::Utf8ToWide(dir).c_str(), nullptr);
    return dir;
}

std::wstring Wide(const std::string& s) { return compat::Utf8ToWide(s); }

// Ends a modal window from a timer; a second timer is the hard limit, so a
// window that does not close fails the test instead of hanging the run.
Form* g_modal = nullptr;
void (*g_during)() = nullptr;
constexpr int kStuck = 99;
int RunModal(Form& form, void (*during)(), int (*show)(Form&)) {
    g_modal = &form;
    g_during = during;
    SetTimer(form, 71, 60, [](HWND h, UINT, UINT_PTR, DWORD) {
        KillTimer(h, 71);
        g_during();
    });
    SetTimer(form, 72, 5000, [](HWND, UINT, UINT_PTR, DWORD) { g_modal->ModalResult = kStuck; });
    int result = show(form);
    KillTimer(form, 71);
    KillTimer(form, 72);
    return result;
}
int ShowModalOf(Form& form) { return form.ShowModal(); }

RECT In(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// No visible child sticks out of its parent or overlaps a sibling.
void ExpectTidy(HWND parent, const char* what) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) children.push_back(c);
    RECT area{};
    GetClientRect(parent, &area);
    for (size_t i = 0; i < children.size(); ++i) {
        RECT a = In(parent, children[i]), inside{};
        IntersectRect(&inside, &a, &area);
        EXPECT_TRUE(EqualRect(&inside, &a)) << what << ": child " << i << " sticks out";
        for (size_t j = i + 1; j < children.size(); ++j) {
            RECT b = In(parent, children[j]), both{};
            EXPECT_FALSE(IntersectRect(&both, &a, &b)) << what << ": children " << i << " and " << j << " overlap";
        }
        ExpectTidy(children[i], what);
    }
}

// Counts the drag commands a window receives instead of entering the move loop.
struct DragCounter {
    explicit DragCounter(HWND window) : window_(window) { SetWindowSubclass(window, &Proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
    ~DragCounter() { RemoveWindowSubclass(window_, &Proc, 1); }
    int Moves = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        if (msg == WM_SYSCOMMAND && wp == widgets::kDragCommand) {
            ++reinterpret_cast<DragCounter*>(data)->Moves;
            return 0;
        }
        return DefSubclassProc(h, msg, wp, lp);
    }
    HWND window_;
};

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void ClearClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// ---- the about window -------------------------------------------------------------------------

AboutTexts Texts() {
    return {L"Zorvel", L"Настройка светодиодного табло", L"2.01", L"ЗОРВЕЛ", L"zorvel.example", L"+7 000 000-00-00",
            L"support@zorvel.example"};
}

TEST(AboutWindow, TextsLayoutAndFrame) {
    TFormAbout about(nullptr);
    about.ShowAppInfo(Texts());
    EXPECT_EQ(L"О программе", about.Text());
    EXPECT_EQ(L"Zorvel", about.LabelAppName.Text());
    EXPECT_EQ(L"версия 2.01", about.LabelAppVersion.Text());
    EXPECT_EQ(L"ЗОРВЕЛ", about.LabelAppManufacturer.Text());
    EXPECT_EQ(L"zorvel.example", about.LabelAppURL.Text());
    EXPECT_EQ(L"support@zorvel.example", about.EditAppEMail.Text());
    EXPECT_EQ(L"Тел./Факс.", about.PanelTelFax.Caption());
    EXPECT_EQ(L"E-Mail:", about.PanelEMail.Caption());
    RECT client = about.Client();
    EXPECT_EQ(414, client.right);
    EXPECT_EQ(224, client.bottom);
    EXPECT_EQ(200, about.PanelAbout.Bounds().right - about.PanelAbout.Bounds().left);
    EXPECT_EQ(414, about.PanelAbout.Bounds().right);
    EXPECT_EQ(120, about.EditAppTelephone.Bounds().right - about.EditAppTelephone.Bounds().left);
    EXPECT_EQ(38, about.PanelBottom.Bounds().bottom - about.PanelBottom.Bounds().top);
    EXPECT_EQ(150, about.PanelLink.Bounds().right - about.PanelLink.Bounds().left);
    ExpectTidy(about, "about");
    for (widgets::Edit* edit : {&about.EditAppTelephone, &about.EditAppEMail}) {
        EXPECT_TRUE(GetWindowLongPtrW(*edit, GWL_STYLE) & ES_READONLY);
        EXPECT_EQ(about.PanelAbout.Colour(), edit->Colour());
    }
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(about, nullptr, &alpha, &flags));
    EXPECT_EQ(245, alpha);
    EXPECT_EQ(L"Закрыть это окно", about.Hints.Get(about.BitBtnOK));
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(about, GWL_STYLE));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(AboutWindow, ThreeTooltipsWithTitlesLinesAndThirtySeconds) {
    TFormAbout about(nullptr);
    struct Case {
        const widgets::Tooltip& tip;
        bool balloon;
        const wchar_t* title;  // (Wine's tooltips do not hand the title back)
        const wchar_t* text;
    } cases[] = {
        {about.TipTelephone, false, L"Телефон/Факс",
         L"Служба поддержки работает ежедневно с 8 до 17 часов (Московское время)\r\nкроме выходных."},
        {about.TipEMail, false, L"Электронная почта",
         L"Напишите нам о своих мыслях и пожеланиях - вам обязательно ответят.\r\nНам важно ваше мнение о нашей продукции."},
        {about.TipLink, true, L"Сайт производителя", L"Посетите наш сайт и ознакомьтесь с новинками нашей продукции."},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.tip.Handle()) << c.title;
        EXPECT_EQ(c.text, c.tip.Text());
        EXPECT_EQ(c.balloon, (GetWindowLongPtrW(c.tip.Handle(), GWL_STYLE) & TTS_BALLOON) != 0) << c.title;
        EXPECT_EQ(30000, SendMessageW(c.tip.Handle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0)) << c.title;
    }
}

TEST(AboutWindow, EachPictureIsLoadedOnItsOwn) {
    const std::string dir = TempDir("about_pictures");
    const std::string about = compat::JoinPath(dir, "About.bmp"), maker = compat::JoinPath(dir, "Manufacturer.bmp");
    const COLORREF blue = RGB(0, 0, 200), green = RGB(0, 160, 0);
    TFormAbout form(nullptr);
    const COLORREF face = form.ImageAbout.Back();
    struct Case {
        const char* name;
        int aboutKind;  // 0 missing, 1 a picture, 2 no picture at all
        bool maker;
    } cases[] = {{"both", 1, true}, {"no About.bmp", 0, true}, {"unreadable About.bmp", 2, true}, {"no logo", 1, false}};
    for (const Case& c : cases) {
        std::remove(about.c_str());
        std::remove(maker.c_str());
        if (c.aboutKind == 1) WriteBmp(about, 300, 300, blue);  // larger than the image: shrunk, centred
        if (c.aboutKind == 2) std::ofstream(about, std::ios::binary) << "not a picture";
        if (c.maker) WriteBmp(maker, 60, 30, green);
        form.LoadPictures(Wide(dir));
        const widgets::Canvas& left = form.ImageAbout.Surface();
        EXPECT_EQ(c.aboutKind == 1 ? blue : face, left.Pixel(left.Width() / 2, left.Height() / 2)) << c.name;
        // Shrunk to the height of 186 and centred: the sides stay empty.
        EXPECT_EQ(face, left.Pixel(2, left.Height() / 2)) << c.name;
        if (c.aboutKind == 1) {
            EXPECT_EQ(blue, left.Pixel(left.Width() / 2, 2)) << c.name;
        }
        const widgets::Canvas& logo = form.ImageManufacturer.Surface();
        EXPECT_EQ(c.maker ? green : face, logo.Pixel(5, 5)) << c.name;
        EXPECT_EQ(face, logo.Pixel(0, 29)) << c.name << ": the key corner is transparent";
        EXPECT_EQ(face, logo.Pixel(70, 5)) << c.name << ": drawn at its own size";
    }
    std::remove(about.c_str());
    std::remove(maker.c_str());
}

TEST(AboutWindow, CopyMenuCopiesTheSelectionOfTheFieldItWasOpenedOn) {
    TFormAbout about(nullptr);
    about.ShowAppInfo(Texts());
    about.Show(true);
    uitest::FlushEvents(30);
    // The menu closes as soon as it waits for input.
    auto cancel = [](HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (msg == WM_ENTERIDLE) PostMessageW(h, WM_CANCELMODE, 0, 0);
        return DefSubclassProc(h, msg, wp, lp);
    };
    SetWindowSubclass(about, cancel, 3, 0);
    about.EditAppTelephone.Focus();
    about.EditAppEMail.Send(EM_SETSEL, 8, 22);  // "zorvel.example"
    ClearClipboard();
    RECT r{};
    GetWindowRect(about.EditAppEMail, &r);
    about.EditAppEMail.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(about.EditAppEMail.hwnd), MAKELPARAM(r.left + 5, r.top + 5));
    RemoveWindowSubclass(about, cancel, 3);
    EXPECT_TRUE(about.EditAppEMail.Focused()) << "the field under the menu took the focus";
    about.miCopyClick();
    EXPECT_EQ(L"zorvel.example", ClipboardText());

    // Ctrl+C in the field itself does the same.
    ClearClipboard();
    about.EditAppTelephone.Focus();
    about.EditAppTelephone.Send(EM_SETSEL, 0, 2);
    about.EditAppTelephone.Send(WM_COPY);
    EXPECT_EQ(L"+7", ClipboardText());
    ASSERT_TRUE(about.PopupMenu.Find(TFormAbout::miCopy));
    EXPECT_EQ(L"Копировать", about.PopupMenu.Find(TFormAbout::miCopy)->Caption);
    EXPECT_EQ(L"Ctrl+C", about.PopupMenu.Find(TFormAbout::miCopy)->ShortCut);
    EXPECT_EQ(1, about.ImageListGlStandart.Count());
    about.Show(false);
}

// Keys reach the window through its modal loop, with the caret in a read-only field.
TFormAbout* g_about = nullptr;
void PressIn(HWND field, WPARAM key) {
    SetFocus(field);
    PostMessageW(field, WM_KEYDOWN, key, 1);
    PostMessageW(field, WM_KEYUP, key, 0xC0000001);
}

TEST(AboutWindow, EscapeAndEnterCloseItAlsoFromTheFields) {
    TFormAbout about(nullptr);
    g_about = &about;
    struct Case {
        void (*press)();
        int result;
    } cases[] = {
        {[] { PressIn(g_about->EditAppEMail, VK_ESCAPE); }, widgets::mrCancel},
        {[] { PressIn(g_about->EditAppTelephone, VK_ESCAPE); }, widgets::mrCancel},
        {[] { PressIn(g_about->BitBtnOK, VK_ESCAPE); }, widgets::mrCancel},
        {[] { PressIn(g_about->EditAppEMail, VK_RETURN); }, widgets::mrOk},
        {[] { g_about->BitBtnOK.Click(); }, widgets::mrOk},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, RunModal(about, c.press, &ShowModalOf));
    EXPECT_FALSE(about.Visible());
}

TEST(AboutWindow, DraggedByItsPassivePartsOnly) {
    TFormAbout about(nullptr);
    DragCounter drag(about);
    struct Case {
        const char* name;
        HWND control;
        bool moves;
    } cases[] = {{"picture", about.ImageAbout, true},      {"name", about.LabelAppName, true},
                 {"row", about.PanelTelFax, true},          {"logo", about.ImageManufacturer, true},
                 {"link panel", about.PanelLink, true},     {"field", about.EditAppEMail, false},
                 {"OK", about.BitBtnOK, false}};
    EXPECT_FALSE(widgets::WindowDrag::IsPassive(about.LabelAppURL)) << "the link keeps its click";
    for (const Case& c : cases) {
        int before = drag.Moves;
        SendMessageW(c.control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));  // (its release opens a field's menu)
        EXPECT_EQ(before, drag.Moves) << c.name << ": the right button never moves it";
        SendMessageW(c.control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(c.control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(c.moves ? before + 1 : before, drag.Moves) << c.name;
    }
}

// ---- the scheme window ------------------------------------------------------------------------

struct SchemeCall {
    TFormImage* form;
    std::wstring path;
    bool shown;
    bool visibleDuring;
};
SchemeCall g_scheme;

TEST(ImageWindow, SizedToThePictureWithAMinimumWidth) {
    const std::string dir = TempDir("scheme_pictures");
    TFormImage image(nullptr);
    g_scheme.form = &image;
    struct Case {
        int width, height, windowWidth, windowHeight;
    } cases[] = {{200, 100, 300, 228}, {800, 600, 812, 728}, {288, 10, 300, 138}, {289, 10, 301, 138}};
    for (const Case& c : cases) {
        const std::string path = compat::JoinPath(dir, "Scheme.bmp");
        WriteBmp(path, c.width, c.height, RGB(10, 20, 30));
        g_scheme.path = Wide(path);
        g_scheme.visibleDuring = false;
        int result = RunModal(image, [] { g_scheme.visibleDuring = g_scheme.form->Visible(); PostMessageW(*g_scheme.form, WM_COMMAND, IDCANCEL, 0); },
                              [](Form&) {
                                  g_scheme.shown = g_scheme.form->ShowScheme(L"Схема подключения", L"Схема через COM порт",
                                                                             g_scheme.path);
                                  return g_scheme.form->ModalResult;
                              });
        EXPECT_TRUE(g_scheme.shown);
        EXPECT_TRUE(g_scheme.visibleDuring);
        EXPECT_EQ(widgets::mrCancel, result) << "Escape closes it";
        RECT r{};
        GetWindowRect(image, &r);
        EXPECT_EQ(c.windowWidth, r.right - r.left) << c.width;
        EXPECT_EQ(c.windowHeight, r.bottom - r.top) << c.height;
        EXPECT_EQ(L"Схема подключения", image.Text());
        EXPECT_EQ(L"Схема через COM порт", image.Label.Caption());
        // The picture from the top-left corner of the image, the key pixel left out.
        EXPECT_EQ(RGB(10, 20, 30), image.Image.Surface().Pixel(3, 3));
        EXPECT_EQ(image.Image.Back(), image.Image.Surface().Pixel(0, c.height - 1));
        EXPECT_EQ(40, image.Label.Bounds().bottom - image.Label.Bounds().top);
        RECT ok = In(image, image.BitBtnOK);
        EXPECT_EQ(75, ok.right - ok.left);
        EXPECT_LE(ok.right, image.Client().right);
        EXPECT_GE(ok.top, image.PanelBottom.Bounds().top);
        std::remove(path.c_str());
    }
    EXPECT_EQ(L"Закрыть это окно", image.Hints.Get(image.BitBtnOK));
}

TEST(ImageWindow, AFileThatIsNoPictureFailsBeforeAnythingIsShown) {
    const std::string dir = TempDir("scheme_pictures");
    const std::string path = compat::JoinPath(dir, "Broken.bmp");
    std::ofstream(path, std::ios::binary) << "BM but nothing more";
    TFormImage image(nullptr);
    EXPECT_FALSE(image.ShowScheme(L"Схема подключения", L"Текст", Wide(path)));
    EXPECT_FALSE(image.Visible());
    EXPECT_EQ(L"Схема подключения", image.Text());
    EXPECT_EQ(L"Текст", image.Label.Caption());
    EXPECT_FALSE(image.ShowScheme(L"Схема", L"Текст", Wide(compat::JoinPath(dir, "missing.bmp"))));
    EXPECT_FALSE(image.Visible());
    std::remove(path.c_str());
}

TEST(ImageWindow, DraggedByTheLabelPictureAndPanel) {
    TFormImage image(nullptr);
    DragCounter drag(image);
    for (HWND passive : {image.Label.hwnd, image.Image.hwnd, image.PanelBottom.hwnd}) {
        int before = drag.Moves;
        SendMessageW(passive, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(before, drag.Moves);
        SendMessageW(passive, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(before + 1, drag.Moves);
    }
}

// ---- the input dialog -------------------------------------------------------------------------

TFormInput* g_input = nullptr;

TEST(InputWindow, LabelFieldOkAndCancel) {
    TFormInput input(nullptr);
    g_input = &input;
    EXPECT_EQ(L"OK", input.BitBtnOK.Text());
    EXPECT_EQ(L"Отмена", input.BitBtnCancel.Text());
    ExpectTidy(input, "input");
    EXPECT_EQ(widgets::mrCancel, RunModal(input, [] { PressIn(g_input->Edit, VK_ESCAPE); }, &ShowModalOf));
    EXPECT_EQ(widgets::mrOk, RunModal(input, [] { PressIn(g_input->Edit, VK_RETURN); }, &ShowModalOf));
}

// ---- the status window ------------------------------------------------------------------------

class Owner : public widgets::Form {
public:
    Owner() {
        widgets::FormOptions o;
        o.Caption = L"Владелец";
        CreateForm(o);
    }
};

TEST(StatusWindow, ShownWithoutTakingTheInputAndDraggedByTheLeftButton) {
    Owner owner;
    owner.Show(true);
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
    uitest::FlushEvents(30);
    TFormStat stat(owner);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(stat, GWL_STYLE));
    EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "no title-bar buttons";
    stat.ShowStatus(L"TCP", L"Установка TCP соединения..");
    uitest::FlushEvents(30);
    EXPECT_TRUE(stat.Visible());
    // Other window tests share the display and may take the focus meanwhile,
    // so the owner need not still be active: the status window must not be.
    EXPECT_NE(stat.hwnd, GetActiveWindow());
    EXPECT_NE(stat.hwnd, GetForegroundWindow());
    EXPECT_EQ(L"TCP", stat.Text());
    EXPECT_EQ(L"Установка TCP соединения..", stat.LabelStat.Caption());
    RECT client = stat.Client();
    EXPECT_EQ(344, client.right);
    EXPECT_EQ(54, client.bottom);

    DragCounter drag(stat);
    for (HWND target : {stat.hwnd, stat.LabelStat.hwnd}) {
        int before = drag.Moves;
        SendMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        SendMessageW(target, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(before, drag.Moves);
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_EQ(before + 1, drag.Moves);
    }
    stat.HideStatus();
    EXPECT_FALSE(stat.Visible());
}

// ---- the GSM window ---------------------------------------------------------------------------

class GsmWindow : public ::testing::Test {
protected:
    GsmWindow() {
        normal.Load(widgets::Bitmap::FromResource(IDB_TOOLBAR32), 32, 32);
        grey.Load(widgets::Bitmap::FromResource(IDB_TOOLBAR32_DISABLED), 32, 32);
    }
    // The colour in the middle of stripe i (stripe 0 at the bottom).
    COLORREF Stripe(int i) const {
        return gsm.ImageCSQ.Surface().Pixel(19, static_cast<int>((99 - i) * 3.16) + 1);
    }
    int Filled() const {
        int filled = 0;
        for (int i = 0; i < 100; ++i) filled += Stripe(i) != gsm.ImageCSQ.Back();
        return filled;
    }
    widgets::ImageList normal, grey;
    TFormGSM gsm{nullptr, normal, grey};
};

TEST_F(GsmWindow, GaugeTopStripesAndRepaintOfFreedStripes) {
    struct Case {
        int q, filled;
        const wchar_t* label;
        COLORREF top;  // the colour of the highest filled stripe
    } cases[] = {{1, 3, L"3%", RGB(123, 3, 0)}, {20, 60, L"60%", RGB(98, 147, 0)}, {10, 30, L"30%", RGB(166, 71, 0)},
                 {99, 0, L"", 0},              {1, 3, L"3%", RGB(123, 3, 0)}};
    for (const Case& c : cases) {
        gsm.GaugeUpdate(c.q);
        EXPECT_EQ(c.filled, Filled()) << "q " << c.q << ": lower stripes repainted after a higher value";
        EXPECT_EQ(c.label, gsm.LabelCSQ.Text()) << c.q;
        if (c.filled) {
            EXPECT_EQ(c.top, Stripe(c.filled - 1)) << c.q;
        }
        EXPECT_EQ(gsm.ImageCSQ.Back(), Stripe(c.filled)) << c.q;
        EXPECT_EQ(gsm.ImageCSQ.Back(), Stripe(99)) << c.q;
    }
    // Pixels, not only the canvas: the window shows what was drawn.
    gsm.GaugeUpdate(20);
    uitest::Rendered shown(gsm.ImageCSQ);
    EXPECT_EQ(RGB(98, 147, 0), shown.At(19, static_cast<int>(40 * 3.16) + 1));
}

TEST_F(GsmWindow, ValuesBeyondTheRangeDrawAtMostAllStripes) {
    struct Case {
        int q;
        const wchar_t* label;
    } cases[] = {{50, L"150%"}, {200, L"600%"}, {255, L"765%"}, {34, L"102%"}};
    for (const Case& c : cases) {
        gsm.GaugeUpdate(c.q);
        EXPECT_EQ(100, Filled()) << c.q;
        EXPECT_EQ(c.label, gsm.LabelCSQ.Text());
        const widgets::Canvas& canvas = gsm.ImageCSQ.Surface();
        EXPECT_EQ(38, canvas.Width());
    }
    gsm.GaugeUpdate(0);
    EXPECT_EQ(0, Filled());
}

TEST_F(GsmWindow, PlacedAtTheRightEdgeEachTimeItIsShown) {
    HDC screen = GetDC(nullptr);
    const int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    for (int round = 0; round < 2; ++round) {
        gsm.ShowInactive(true);
        RECT r{};
        GetWindowRect(gsm, &r);
        EXPECT_EQ(width, r.right) << round;
        EXPECT_EQ((height - (r.bottom - r.top)) / 2, r.top) << round;
        gsm.ShowInactive(false);
        SetWindowPos(gsm, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // moved away meanwhile
    }
}

TEST_F(GsmWindow, NetworkPictureAndHint) {
    auto picture = [&] {
        std::vector<COLORREF> pixels;
        const widgets::Canvas& c = gsm.ImageNet.Surface();
        for (int y = 0; y < 32; y += 2)
            for (int x = 0; x < 38; x += 2) pixels.push_back(c.Pixel(x, y));
        return pixels;
    };
    gsm.ShowInactive(true);
    const auto initial = picture();
    EXPECT_EQ(L"", gsm.Hints.Get(gsm.ImageNet));
    gsm.ShowNetwork(true);
    const auto found = picture();
    EXPECT_EQ(L"Сеть найдена", gsm.Hints.Get(gsm.ImageNet));
    gsm.ShowNetwork(false);
    const auto lost = picture();
    EXPECT_EQ(L"Не удается подключиться к сети", gsm.Hints.Get(gsm.ImageNet));
    EXPECT_NE(initial, found);
    EXPECT_NE(found, lost) << "coloured when found, grey when lost";
    EXPECT_NE(initial, lost);
    gsm.ShowInactive(false);
    gsm.ShowInactive(true);
    EXPECT_EQ(initial, picture()) << "each showing starts from the grey picture 7";
    gsm.ShowInactive(false);
}

}  // namespace
