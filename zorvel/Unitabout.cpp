#include "zorvel/Unitabout.h"


#include "compat/platform.h"
#include "zorvel/widgets/text.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/images.h"
#include "zorvel/widgets/menupainter.h"

namespace {
// The about window's design, in pixels at 96 DPI.
constexpr int kWidth = 414, kHeight = 224, kBottom = 38, kPanelWidth = 200, kEditWidth = 120;
constexpr int kBody = kHeight - kBottom;
}  // namespace

TFormAbout::TFormAbout(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"О программе";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_LAYERED;
    o.ClientWidth = kWidth;
    o.ClientHeight = kHeight;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Cancel = false;  // Escape closes with the Cancel result all the same
    buttons.OkHint = L"Закрыть это окно";
    buttons.PanelHeight = kBottom;
    buttons.ButtonWidth = 75;
    buttons.ButtonHeight = 32;
    CreateDialogFrame(o, buttons);
    widgets::InstallSystemMenu(hwnd, HighlightColour);
    SetLayeredWindowAttributes(hwnd, 0, 245, LWA_ALPHA);  // 96% opaque
    const COLORREF face = GetSysColor(COLOR_BTNFACE);

    // Left: the program's picture; right: the texts, top to bottom.
    ImageAbout.Create(hwnd, 0, 0, kWidth - kPanelWidth, kBody);
    PanelAbout.Create(hwnd, kWidth - kPanelWidth, 0, kPanelWidth, kBody);
    nameFont_ = ScaledFont(L"Tahoma", 16);
    // A long name takes a second line rather than being cut.
    LabelAppName.Create(PanelAbout, L"", 0, 4, kPanelWidth, 40, face, SS_CENTER);
    LabelAppName.SetFont(nameFont_);
    LabelAppDescription.Create(PanelAbout, L"", 4, 46, kPanelWidth - 8, 46, face, SS_CENTER);
    Bevel.Create(PanelAbout, 6, 95, kPanelWidth - 12, 2, CLR_INVALID, widgets::Bevel::Lowered);
    LabelAppVersion.Create(PanelAbout, L"", 0, 100, kPanelWidth, 17, face, SS_CENTER);
    LabelAppManufacturer.Create(PanelAbout, L"", 0, 117, kPanelWidth, 17, face, SS_CENTER);
    CreateContactRow(PanelTelFax, EditAppTelephone, L"Тел./Факс.", 135);
    CreateContactRow(PanelEMail, EditAppEMail, L"E-Mail:", 159);

    // Bottom: the maker's logo, the link, OK at the right (placed by the frame).
    // The link is wider than the 125 px of the design, so that the bold
    // address fits also in the fonts Wine substitutes; the logo keeps 170 px.
    const int okLeft = BitBtnOK.DesignBounds().left, linkWidth = 150, linkLeft = okLeft - 6 - linkWidth;
    PanelLink.Create(PanelBottom, linkLeft, 0, linkWidth, kBottom);
    LabelAppURL.Create(PanelLink, L"", 0, 11, linkWidth, 17, face);
    LabelAppURL.OnClick = [this] { LabelAppURLClick(); };
    ImageManufacturer.Create(PanelBottom, 0, 0, linkLeft, kBottom);

    ImageListGlStandart.Add(widgets::Bitmap::FromResource(IDB_GLYPH_COPY64, GetScale()));
    PopupMenu.Create({{miCopy, L"Копировать", L"Ctrl+C", 0, false, [this] { miCopyClick(); }}});
    widgets::PaintMenuItems(PopupMenu, widgets::MenuLook{nullptr, nullptr, &ImageListGlStandart, &HighlightColour, 20});
    CreateTooltips();
    LoadPictures(compat::Utf8ToWide(compat::ExecutableDir()));

    drag_.Attach(hwnd);
    for (HWND passive : {ImageAbout.hwnd, PanelAbout.hwnd, LabelAppName.hwnd, LabelAppDescription.hwnd, Bevel.hwnd,
                         LabelAppVersion.hwnd, LabelAppManufacturer.hwnd, PanelTelFax.hwnd, PanelEMail.hwnd,
                         PanelBottom.hwnd, ImageManufacturer.hwnd, PanelLink.hwnd})
        drag_.Add(passive);
}

void TFormAbout::CreateContactRow(widgets::Panel& row, widgets::Edit& edit, const wchar_t* caption, int y) {
    row.Create(PanelAbout, 0, y, kPanelWidth, 24);
    row.SetCaption(caption, FormFont(), GetSysColor(COLOR_BTNTEXT), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    edit.Create(row, L"", kPanelWidth - kEditWidth - 4, 2, kEditWidth, 20);
    edit.SetReadOnly(true);
    edit.SetColour(row.Colour());
    // As the system's own edit menu does: the field under the menu takes the
    // focus first, so that the copy copies this field's selection.
    edit.OnContextMenu = [this, &edit](POINT at) {
        edit.Focus();
        PopupMenu.Popup(hwnd, at);
    };
}

void TFormAbout::CreateTooltips() {
    widgets::Tooltip::Options telephone;
    telephone.Title = L"Телефон/Факс";
    telephone.Text = L"Служба поддержки работает ежедневно с 8 до 17 часов (Московское время)\r\nкроме выходных.";
    TipTelephone.Create(hwnd, EditAppTelephone, telephone);

    widgets::Tooltip::Options email;
    email.Centred = true;
    email.Title = L"Электронная почта";
    email.Text = L"Напишите нам о своих мыслях и пожеланиях - вам обязательно ответят.\r\n"
                 L"Нам важно ваше мнение о нашей продукции.";
    TipEMail.Create(hwnd, EditAppEMail, email);

    widgets::Tooltip::Options link;
    link.Balloon = true;
    link.Centred = true;
    link.Title = L"Сайт производителя";
    link.Text = L"Посетите наш сайт и ознакомьтесь с новинками нашей продукции.";
    TipLink.Create(hwnd, PanelLink, link);
}

void TFormAbout::LoadPictures(const std::wstring& directory) {
    using Fit = widgets::Image::Fit;
    ImageAbout.DrawPicture(widgets::Bitmap::FromFile((directory + L"\\About.bmp").c_str()), Fit::CentreShrunk);
    ImageManufacturer.DrawPicture(widgets::Bitmap::FromFile((directory + L"\\Manufacturer.bmp").c_str()),
                                  Fit::TopLeft);
}

// On a display of another scale: the copy glyph drawn for it, the pictures
// drawn again on their new canvases.
void TFormAbout::OnScaleChanged() {
    Dialog::OnScaleChanged();
    ImageListGlStandart.Clear();
    ImageListGlStandart.Add(widgets::Bitmap::FromResource(IDB_GLYPH_COPY64, GetScale()));
    LoadPictures(compat::Utf8ToWide(compat::ExecutableDir()));
}

void TFormAbout::ShowAppInfo(const AboutTexts& texts) {
    LabelAppName.SetText(texts.Caption);
    LabelAppDescription.SetText(texts.Description);
    LabelAppVersion.SetText(L"версия " + texts.Version);
    LabelAppManufacturer.SetText(texts.Company);
    LabelAppURL.SetText(texts.Web);
    EditAppTelephone.SetText(texts.Telephone);
    EditAppEMail.SetText(texts.EMail);
}

void TFormAbout::LabelAppURLClick() {
    const std::wstring address = L"http://" + LabelAppURL.Text() + L"/";
    // A browser that cannot be started is no error worth a box here.
    compat::ShellOpen(hwnd, "open", widgets::Narrow(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormAbout::miCopyClick() {
    HWND focused = GetFocus();
    if (focused == EditAppTelephone.hwnd || focused == EditAppEMail.hwnd) SendMessageW(focused, WM_COPY, 0, 0);
}
