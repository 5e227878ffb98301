// Winsock's header must come before <windows.h>.
#include "ravlo/ravlo.h"

#include "zorvel/Unitsett.h"

#include <cstdio>
#include <cstring>

#include "compat/platform.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "zorvel/board/link.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/layout.h"
#include "zorvel/widgets/listpainter.h"
#include "zorvel/widgets/menupainter.h"
#include "zorvel/widgets/text.h"

using widgets::Align;
using widgets::FromCp1251;
using widgets::ToCp1251;

namespace {

const COLORREF kGreyText = RGB(128, 128, 128);
const COLORREF kBlackText = RGB(0, 0, 0);
constexpr int kRowHeight = 21;
constexpr int kRowStep = 27;

const wchar_t* const kBaudRates[] = {L"110",   L"300",   L"600",    L"1200",   L"2400",   L"4800",
                                     L"9600",  L"14400", L"19200",  L"38400",  L"56000",  L"57600",
                                     L"115200", L"128000", L"230400", L"256000", L"460800", L"921600"};

const char* const kDriverCaption = "Переустановить драйвер";
const char* const kDriverHint = "Переустановить драйвер для работы через USB порт если он удален либо поврежден.";
const char* const kDriverAbortCaption = "Прервать установку";
const char* const kDriverAbortHint = "Аварийное прекращение установки драйвера";

template <std::size_t N>
void PutField(char (&field)[N], const std::string& bytes) {
    const std::size_t n = bytes.size() < N - 1 ? bytes.size() : N - 1;
    std::memcpy(field, bytes.data(), n);
    field[n] = '\0';
}

void AddItems(const widgets::ListControl& list, std::initializer_list<const wchar_t*> items) {
    for (const wchar_t* item : items) list.Add(item);
}

void Fill(const widgets::ListControl& list, const std::vector<std::string>& names) {
    for (const std::string& name : names) list.Add(widgets::Widen(name));
}

void SetByte(std::uint8_t& member, int index) {
    if (index >= 0) member = static_cast<std::uint8_t>(index);
}

std::uint32_t AddressOf(const char* text) {
    // Parts the parse does not reach stay 0.
    unsigned char a = 0, b = 0, c = 0, d = 0;
    cRavlo::IPv4_Split(text, &a, &b, &c, &d);
    return std::uint32_t{a} << 24 | std::uint32_t{b} << 16 | std::uint32_t{c} << 8 | d;
}

std::string DottedAddress(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24 & 0xFF, address >> 16 & 0xFF, address >> 8 & 0xFF,
                  address & 0xFF);
    return text;
}

}  // namespace

TFormSett::TFormSett(HWND owner, config::Settings& held, const widgets::ImageList& normal,
                     const widgets::ImageList& grey, const widgets::StripList& menuImages)
    : held_(held), normal_(normal), grey_(grey), menuImages_(menuImages) {
    widgets::FormOptions o;
    o.Caption = L"Настройки";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 744;
    o.ClientHeight = 484;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Default = true;
    CreateDialogFrame(o, buttons);
    widgets::InstallSystemMenu(hwnd, HighlightColour);

    // Three columns of pages.
    for (widgets::Panel* column : {&PanelL, &PanelC, &PanelR}) column->Create(hwnd, 0, 0, 0, 0);
    widgets::LayoutBands(BodyArea(), {{PanelL, Align::Left, 250, widgets::Margins{2, 2, 0, 0}},
                                      {PanelC, Align::Left, 240, widgets::Margins{0, 2, 0, 0}},
                                      {PanelR, Align::Left, 250, widgets::Margins{0, 2, 0, 0}}});
    GroupBoxInterface.Create(PanelL, L"Тип соединения", 0, 0, 0, 0);
    GroupBoxRFM.Create(PanelL, L"RF модуль", 0, 0, 0, 0);
    widgets::LayoutBands(PanelL.Area(), {{GroupBoxInterface, Align::Top, 76, widgets::Uniform(2)},
                                         {GroupBoxRFM, Align::Client, 0, widgets::Uniform(2)}});
    GroupBoxCOM.Create(PanelC, L"COM порт", 0, 0, 0, 0);
    GroupBoxSIM.Create(PanelC, L"Ведущий GSM модем", 0, 0, 0, 0);
    widgets::LayoutBands(PanelC.Area(), {{GroupBoxCOM, Align::Top, 240, widgets::Uniform(2)},
                                         {GroupBoxSIM, Align::Client, 0, widgets::Uniform(2)}});
    GroupBoxFTD.Create(PanelR, L"USB порт", 0, 0, 0, 0);
    GroupBoxTCP.Create(PanelR, L"TCP", 0, 0, 0, 0);
    GroupBoxCSD.Create(PanelR, L"Ведомый GSM модем", 0, 0, 0, 0);
    widgets::LayoutBands(PanelR.Area(), {{GroupBoxFTD, Align::Top, 100, widgets::Uniform(2)},
                                         {GroupBoxTCP, Align::Top, 100, widgets::Uniform(2)},
                                         {GroupBoxCSD, Align::Client, 0, widgets::Uniform(2)}});

    const RECT inner = GroupBoxInterface.Area();
    ComboBoxInterface.Create(GroupBoxInterface, inner.left + 4, inner.top + 2, inner.right - inner.left - 8, 40);
    ComboBoxInterface.OnDraw = [this](DRAWITEMSTRUCT* item) {
        widgets::DrawListItem(ComboBoxInterface, ComboBoxInterface.PaintItem(*item), &ImageListGlInterface,
                              HighlightColour);
    };
    ComboBoxInterface.OnChange = [this] { ComboBoxInterfaceChange(); };
    ImageListGlInterface.AddSquareStrips(widgets::Bitmap::FromResource(IDB_INTERFACES32, GetScale()));

    CreateSerialPage();
    CreateModemPage();
    CreateUsbPage();
    CreateTcpPage();
    CreateSlavePage();
    CreateRadioPage();
    CreatePopupMenu();
    KeepFixedControls();

    BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
    BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
    BitBtnDefault.OnClick = [this] { BitBtnDefaultClick(); };

    // The background, the columns, the group boxes, the labels and the pictures move the window.
    drag_.Attach(hwnd);
    for (HWND passive :
         {PanelL.hwnd, PanelC.hwnd, PanelR.hwnd, PanelBottom.hwnd, GroupBoxInterface.hwnd, GroupBoxCOM.hwnd,
          GroupBoxRFM.hwnd, GroupBoxSIM.hwnd, GroupBoxFTD.hwnd, GroupBoxTCP.hwnd, GroupBoxCSD.hwnd,
          PanelSIM_Balance.hwnd, PanelTCP_IP.hwnd, ImageCOM.hwnd, ImageSIM.hwnd, ImageFTD.hwnd, ImageTCP.hwnd,
          ImageCSD.hwnd, ImageRFM.hwnd, LabelCOM_Number.hwnd, LabelCOM_BaudRate.hwnd, LabelCOM_DataBits.hwnd,
          LabelCOM_StopBits.hwnd, LabelCOM_Parity.hwnd, LabelCOM_FlowControl.hwnd, LabelSIM_Balance.hwnd,
          LabelFTD_Device.hwnd, LabelTCP_IP.hwnd, LabelTCP_Port.hwnd, LabelCSD_Number.hwnd, LabelCSD_Numbers.hwnd,
          LabelRFM_Type.hwnd, LabelRFM_Freq.hwnd, LabelRFM_DRfsk.hwnd, LabelRFM_Pout.hwnd, LabelRFM_DRin.hwnd,
          LabelRFM_Parity.hwnd, LabelRFM_Tw.hwnd})
        drag_.Add(passive);
}

// ---- creation -----------------------------------------------------------------------

namespace {
// A label and its list on one line of a page.
void Row(HWND parent, widgets::Label& label, const wchar_t* caption, widgets::DropDownList& list, int x, int y,
         int width, int labelWidth) {
    label.Create(parent, caption, x, y, labelWidth, kRowHeight, CLR_INVALID, SS_CENTERIMAGE);
    list.Create(parent, x + labelWidth + 2, y, width - labelWidth - 2, 240);
}
}  // namespace

void TFormSett::CreateSerialPage() {
    const RECT a = GroupBoxCOM.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    ImageCOM.Create(GroupBoxCOM, x, a.top + 2, 32, 32);
    LabelCOM_Number.Create(GroupBoxCOM, L"Номер", x + 36, a.top + 7, 94, kRowHeight, CLR_INVALID, SS_CENTERIMAGE);
    ComboBoxCOM_Number.Create(GroupBoxCOM, x + 132, a.top + 7, w - 132, 240);
    Hints.Set(ComboBoxCOM_Number, L"Список всех свободных COM портов компьютера");
    int y = a.top + 42;
    Row(GroupBoxCOM, LabelCOM_BaudRate, L"Скорость", ComboBoxCOM_BaudRate, x, y, w, 138);
    Row(GroupBoxCOM, LabelCOM_DataBits, L"Бит данных", ComboBoxCOM_DataBits, x, y += kRowStep, w, 138);
    Row(GroupBoxCOM, LabelCOM_StopBits, L"Стоповых бит", ComboBoxCOM_StopBits, x, y += kRowStep, w, 138);
    Row(GroupBoxCOM, LabelCOM_Parity, L"Четность", ComboBoxCOM_Parity, x, y += kRowStep, w, 138);
    Row(GroupBoxCOM, LabelCOM_FlowControl, L"Контроль передачи", ComboBoxCOM_FlowControl, x, y += kRowStep, w, 138);
    CheckBoxCOM_AutoScan.Create(GroupBoxCOM, L"искать только свободные порты ", x, y + kRowStep, w, 32);
    SetWindowLongW(CheckBoxCOM_AutoScan, GWL_STYLE, GetWindowLongW(CheckBoxCOM_AutoScan, GWL_STYLE) | BS_MULTILINE);
    CheckBoxCOM_AutoScan.SetChecked(true);
    CheckBoxCOM_AutoScan.OnClick = [this] { CheckBoxCOM_AutoScanClick(); };

    for (const wchar_t* rate : kBaudRates) ComboBoxCOM_BaudRate.Add(rate);
    AddItems(ComboBoxCOM_DataBits, {L"5", L"6", L"7", L"8"});
    AddItems(ComboBoxCOM_StopBits, {L"1", L"1.5", L"2"});
    AddItems(ComboBoxCOM_Parity, {L"None", L"Odd", L"Even", L"Mark", L"Space"});
    AddItems(ComboBoxCOM_FlowControl, {L"None", L"RTS/CTS", L"DTR/DSR", L"XON/XOFF"});
    KeepFixedControls();
}

void TFormSett::KeepFixedControls() {
    // The line parameters and the device only show what the component uses;
    // nothing enables them, not even the group box they sit in.
    for (widgets::Window* fixed : std::initializer_list<widgets::Window*>{
             &ComboBoxCOM_BaudRate, &LabelCOM_BaudRate, &ComboBoxCOM_DataBits, &LabelCOM_DataBits,
             &ComboBoxCOM_StopBits, &LabelCOM_StopBits, &ComboBoxCOM_Parity, &LabelCOM_Parity,
             &ComboBoxCOM_FlowControl, &LabelCOM_FlowControl, &ComboBoxFTD_Device})
        fixed->Enable(false);
    // The modem's buttons follow the modem, as the main window's timer last said.
    SpeedButtonGSM_PowerOff.Enable(modemButtons_[0]);
    SpeedButtonSIM_Balance.Enable(modemButtons_[1]);
    SpeedButtonSIM_Clear.Enable(modemButtons_[2]);
}

void TFormSett::CreateModemPage() {
    const RECT a = GroupBoxSIM.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    PanelSIM_Balance.Create(GroupBoxSIM, x, a.top + 2, w, 34);
    Hints.Set(PanelSIM_Balance, L"Проверка баланса SIM карты (деньги на счете)");
    ImageSIM.Create(PanelSIM_Balance, 0, 1, 32, 32);
    LabelSIM_Balance.Create(PanelSIM_Balance, L"Проверка баланса", 34, 6, w - 34 - 58, kRowHeight, CLR_INVALID,
                            SS_CENTERIMAGE);
    EditSIM_Balance.Create(PanelSIM_Balance, L"", w - 56, 6, 56, kRowHeight, 5);
    EditSIM_Balance.OnKeyPress = [this](wchar_t& key) { EditSIM_BalanceKeyPress(key); };
    struct Action {
        widgets::SpeedButton& button;
        const wchar_t* caption;
        const wchar_t* hint;
        void (TFormSett::*click)();
    } actions[] = {
        {SpeedButtonSIM_Balance, L"Проверить баланс SIM карты ", L"Проверить баланс SIM карты (деньги на счете)",
         &TFormSett::SpeedButtonSIM_BalanceClick},
        {SpeedButtonSIM_Clear, L"Очистить память SIM карты  ", L"Удалить все SMS сообщения из памяти SIM карты.",
         &TFormSett::SpeedButtonSIM_ClearClick},
        {SpeedButtonGSM_PowerOff, L"Перезапустить GSM модем     ", L"Выполнить перезапуск ведущего GSM модема.",
         &TFormSett::SpeedButtonGSM_PowerOffClick},
    };
    int y = a.top + 42;
    for (Action& action : actions) {
        action.button.Create(GroupBoxSIM, action.caption, x, y, w, 30, nullptr);
        Hints.Set(action.button, action.hint);
        action.button.OnClick = [this, click = action.click] { (this->*click)(); };
        y += 36;
    }
}

void TFormSett::CreateUsbPage() {
    const RECT a = GroupBoxFTD.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    ImageFTD.Create(GroupBoxFTD, x, a.top + 2, 32, 32);
    LabelFTD_Device.Create(GroupBoxFTD, L"Устройство", x + 38, a.top + 7, 80, kRowHeight, CLR_INVALID,
                           SS_CENTERIMAGE);
    ComboBoxFTD_Device.Create(GroupBoxFTD, x + 120, a.top + 7, w - 120, 240);
    SpeedButtonFTD_Driver.Create(GroupBoxFTD, widgets::Widen(kDriverCaption), x, a.top + 42, w, 30, nullptr);
    Hints.Set(SpeedButtonFTD_Driver, widgets::Widen(kDriverHint));
    SpeedButtonFTD_Driver.OnClick = [this] { SpeedButtonFTD_DriverClick(); };
}

void TFormSett::CreateTcpPage() {
    const RECT a = GroupBoxTCP.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    PanelTCP_IP.Create(GroupBoxTCP, x, a.top + 2, w, 30);
    LabelTCP_IP.Create(PanelTCP_IP, L"IPv4", 0, 4, 36, 22, CLR_INVALID, SS_CENTERIMAGE);
    const int labelWidth = LabelTCP_IP.DesignBounds().right;
    IpAddressTCP.Create(PanelTCP_IP, labelWidth + 6, 4, w - labelWidth - 12, 22, kIpAddressId);
    ImageTCP.Create(GroupBoxTCP, x, a.top + 36, 32, 32);
    LabelTCP_Port.Create(GroupBoxTCP, L"Порт", x + 38, a.top + 41, 50, kRowHeight, CLR_INVALID, SS_CENTERIMAGE);
    EditTCP_Port.Create(GroupBoxTCP, L"", x + 90, a.top + 41, 70, kRowHeight, 6);
    EditTCP_Port.OnKeyPress = [this](wchar_t& key) { EditTCP_PortKeyPress(key); };
}

void TFormSett::CreateSlavePage() {
    const RECT a = GroupBoxCSD.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    ImageCSD.Create(GroupBoxCSD, x, a.top + 2, 32, 32);
    LabelCSD_Number.Create(GroupBoxCSD, L"", x + 34, a.top + 7, 4, kRowHeight, CLR_INVALID);
    ComboBoxCSD_Number.Create(GroupBoxCSD, x + 40, a.top + 7, w - 40, 240);
    LabelCSD_Numbers.Create(GroupBoxCSD, L" номера всех ведомых модемов:", a.left, a.top + 40, w + 12, 18, CLR_INVALID,
                            SS_LEFTNOWORDWRAP);
    widgets::StringGrid::Options grid;
    grid.Cols = 2, grid.Rows = 20, grid.FixedCols = 0, grid.FixedRows = 1, grid.RowHeight = 18;
    const int top = a.top + 60;
    StringGridCSD_Numbers.Create(GroupBoxCSD, x, top, w, a.bottom - top - 4, grid);
    StringGridCSD_Numbers.SetColour(GetSysColor(COLOR_BTNHIGHLIGHT));
    StringGridCSD_Numbers.SetColWidth(0, 100);
    StringGridCSD_Numbers.SetColWidth(1, w - 100 - 24);
    StringGridCSD_Numbers.SetCell(0, 0, L"номер");
    StringGridCSD_Numbers.SetCell(1, 0, L"комментарий");
    StringGridCSD_Numbers.OnKeyPress = [this](int col, int row, wchar_t& key) {
        StringGridCSD_NumbersKeyPress(col, row, key);
    };
    StringGridCSD_Numbers.OnSetEditText = [this](int col, int row, const std::wstring& text) {
        StringGridCSD_NumbersSetEditText(col, row, text);
    };
    StringGridCSD_Numbers.OnExit = [this] { StringGridCSD_NumbersExit(); };
}

void TFormSett::CreateRadioPage() {
    const RECT a = GroupBoxRFM.Area();
    const int x = a.left + 6, w = a.right - a.left - 12;
    ImageRFM.Create(GroupBoxRFM, x, a.top + 2, 32, 32);
    LabelRFM_Type.Create(GroupBoxRFM, L"ISM передатчик", x + 38, a.top + 7, w - 38, kRowHeight, CLR_INVALID,
                         SS_CENTERIMAGE);
    Row(GroupBoxRFM, LabelRFM_Freq, L"Номер радиоканала:", ComboBoxRFM_Freq, x, a.top + 40, w, 144);
    for (int n = 1; n <= config::kChannelCount; ++n) ComboBoxRFM_Freq.Add(std::to_wstring(n));
    widgets::StringGrid::Options grid;
    grid.Cols = 2, grid.Rows = 36, grid.FixedCols = 1, grid.FixedRows = 1, grid.RowHeight = 18;
    StringGridRFM_Freq.Create(GroupBoxRFM, x, a.top + 68, w, 110, grid);
    StringGridRFM_Freq.SetColWidth(0, 50);
    StringGridRFM_Freq.SetColWidth(1, w - 50 - 24);
    StringGridRFM_Freq.SetCell(0, 0, L"номер");
    StringGridRFM_Freq.SetCell(1, 0, L"комментарии");
    for (int n = 1; n <= config::kChannelCount; ++n) StringGridRFM_Freq.SetCell(0, n, std::to_wstring(n));
    StringGridRFM_Freq.OnSetEditText = [this](int col, int row, const std::wstring& text) {
        StringGridRFM_FreqSetEditText(col, row, text);
    };
    int y = a.top + 186;
    Row(GroupBoxRFM, LabelRFM_DRfsk, L"Скорость радиоканала", ComboBoxRFM_DRfsk, x, y, w, 160);
    // The longest caption takes two lines.
    LabelRFM_Pout.Create(GroupBoxRFM, L"Выходная мощность (макс. 7)", x, y += kRowStep, 160, 32, CLR_INVALID);
    ComboBoxRFM_Pout.Create(GroupBoxRFM, x + 162, y + 4, w - 162, 240);
    y += 8;
    Row(GroupBoxRFM, LabelRFM_DRin, L"Скорость UART", ComboBoxRFM_DRin, x, y += kRowStep, w, 160);
    Row(GroupBoxRFM, LabelRFM_Parity, L"Четность", ComboBoxRFM_Parity, x, y += kRowStep, w, 160);
    Row(GroupBoxRFM, LabelRFM_Tw, L"Время включения, сек.", ComboBoxRFM_Tw, x, y += kRowStep, w, 160);
    AddItems(ComboBoxRFM_DRfsk, {L"1", L"2", L"5", L"10", L"20", L"40"});
    AddItems(ComboBoxRFM_Pout, {L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7"});
    AddItems(ComboBoxRFM_DRin, {L"1200", L"2400", L"4800", L"9600", L"19200", L"38400", L"57600"});
    AddItems(ComboBoxRFM_Parity, {L"None", L"Even", L"Odd"});
    AddItems(ComboBoxRFM_Tw, {L"0.05", L"0.1", L"0.2", L"0.4", L"0.6", L"1", L"1.5", L"2", L"2.5", L"3", L"4", L"5"});
}

void TFormSett::CreatePopupMenu() {
    PopupMenu.Create({{miCut, L"Вырезать", L"Ctrl+X", 2, false, [] { SendMessageW(GetFocus(), WM_CUT, 0, 0); }},
                      {miCopy, L"Копировать", L"Ctrl+C", 3, false, [] { SendMessageW(GetFocus(), WM_COPY, 0, 0); }},
                      {miPaste, L"Вставить", L"Ctrl+V", 4, false, [] { SendMessageW(GetFocus(), WM_PASTE, 0, 0); }},
                      {miDefault, L"По умолчанию", L"", 8, false, [this] { miDefaultClick(); }}});
    // Drawn as the main window's menus are; each item is widened by the
    // width of a picture strip.
    widgets::PaintMenuItems(PopupMenu, widgets::MenuLook{nullptr, nullptr, &menuImages_, &HighlightColour, 64});
    // Every list but the interface chooser, the check box and the two edit fields.
    for (widgets::Control* c : std::initializer_list<widgets::Control*>{
             &ComboBoxCOM_Number, &ComboBoxCOM_BaudRate, &ComboBoxCOM_DataBits, &ComboBoxCOM_StopBits,
             &ComboBoxCOM_Parity, &ComboBoxCOM_FlowControl, &CheckBoxCOM_AutoScan, &ComboBoxFTD_Device, &EditTCP_Port,
             &EditSIM_Balance, &ComboBoxCSD_Number, &ComboBoxRFM_Freq, &ComboBoxRFM_DRfsk, &ComboBoxRFM_Pout,
             &ComboBoxRFM_DRin, &ComboBoxRFM_Parity, &ComboBoxRFM_Tw}) {
        HWND target = c->hwnd;
        c->OnContextMenu = [this, target](POINT screen) {
            PopupMenuPopup(target);
            PopupMenu.Popup(hwnd, screen);
        };
    }
}

// ---- intents of the main window ------------------------------------------------------------

void TFormSett::ShortenToSerialPage() {
    for (widgets::Window* box : std::initializer_list<widgets::Window*>{
             &GroupBoxCSD, &GroupBoxTCP, &GroupBoxRFM, &GroupBoxSIM, &GroupBoxFTD, &GroupBoxInterface})
        box->Show(false);
    for (int i = 4; i >= 1; --i) ComboBoxInterface.Delete(i);
}

void TFormSett::EnableModemButtons(bool restart, bool balance, bool clear) {
    modemButtons_[0] = restart, modemButtons_[1] = balance, modemButtons_[2] = clear;
    SpeedButtonGSM_PowerOff.Enable(restart);
    SpeedButtonSIM_Balance.Enable(balance);
    SpeedButtonSIM_Clear.Enable(clear);
}

void TFormSett::EnableModemRestart(bool restart) {
    modemButtons_[0] = restart;
    SpeedButtonGSM_PowerOff.Enable(restart);
}

int TFormSett::ShowBox(const char* text, const char* caption, unsigned type) const {
    return compat::ShowMessageBox(hwnd, text, caption, type | compat::kBoxTopMost);
}

// ---- show -------------------------------------------------------------------------------------

void TFormSett::OnShowing() {
    CenterOnOwner();
    FormShow();
}

void TFormSett::FormShow() {
    cCOM& com = board::COM;
    // 1. What the operator may change.
    const bool rights = held_.ControllerSetting;
    for (widgets::Window* column : std::initializer_list<widgets::Window*>{&PanelC, &PanelL, &PanelR})
        column->Enable(rights);
    BitBtnDefault.Show(rights);
    BitBtnCancel.Show(rights);
    // 2. The interface.
    ComboBoxInterface.SetIndex(board::Interface);
    // 3. Serial: one port scan in the component's mode, then its values.
    CheckBoxCOM_AutoScan.SetChecked(com.AutoScan);
    CheckBoxCOM_AutoScanClick();
    ComboBoxCOM_Number.SelectText(FromCp1251(com.PortName));
    ComboBoxCOM_BaudRate.SelectText(std::to_wstring(com.BaudRate));
    ComboBoxCOM_DataBits.SelectText(std::to_wstring(com.DataBits));
    ComboBoxCOM_StopBits.SetIndex(com.StopBits);
    ComboBoxCOM_Parity.SetIndex(com.Parity);
    ComboBoxCOM_FlowControl.SetIndex(com.FlowControl);
    // 4. USB.
    RebuildDeviceList();
    // 5. TCP.
    shownAddress_ = AddressOf(board::TCP.IPv4);
    IpAddressTCP.SetAddress(shownAddress_);
    EditTCP_Port.SetText(std::to_wstring(board::TCP.Port));
    // 6. and 7. GSM.
    EditSIM_Balance.SetText(FromCp1251(board::GSM.BalanceRequest));
    ShowSlaveList();
    // 8. Radio.
    for (int n = 1; n <= config::kChannelCount; ++n) {
        const std::string& comment = held_.FreqComment[n - 1];
        StringGridRFM_Freq.SetCell(1, n, FromCp1251(comment));
        ComboBoxRFM_Freq.SetItemText(n - 1, FromCp1251(sett::ChannelItemText(n, comment)));
    }
    cRFM& rfm = board::RFM;
    ComboBoxRFM_Freq.SetIndex(sett::ChannelIndex(rfm.Freq));
    ComboBoxRFM_DRfsk.SetIndex(rfm.DRfsk);
    ComboBoxRFM_Pout.SetIndex(rfm.Pout);
    ComboBoxRFM_DRin.SetIndex(rfm.DRin);
    ComboBoxRFM_Parity.SetIndex(rfm.Parity);
    ComboBoxRFM_Tw.SetIndex(rfm.Tw);
    // 9. The pages.
    ComboBoxInterfaceChange();
    for (int i = 0; i < config::kInterfaceCount; ++i) EnablePage(i, i == ComboBoxInterface.Index());
}

void TFormSett::ShowSlaveList() {
    ComboBoxCSD_Number.Clear();
    const std::vector<sett::SlaveRow> rows = sett::SlaveRowsOf(held_);
    const std::uint32_t count = held_.Count;
    for (int r = 1; r <= sett::kSlaveRows; ++r) {
        const sett::SlaveRow& row = rows[r - 1];
        if (static_cast<std::uint32_t>(r - 1) < count)
            ComboBoxCSD_Number.Add(FromCp1251(sett::SlaveItemText(row.Number, row.Comment)));
        StringGridCSD_Numbers.SetCell(0, r, FromCp1251(row.Number));
        StringGridCSD_Numbers.SetCell(1, r, FromCp1251(row.Comment));
    }
    ComboBoxCSD_Number.SetIndex(held_.Index);
}

// ---- pages ---------------------------------------------------------------------------------

void TFormSett::ComboBoxInterfaceChange() {
    EnablePage(page_, false);
    page_ = ComboBoxInterface.Index();
    EnablePage(page_, true);
}

void TFormSett::DrawPageIcon(const widgets::Image& image, int icon, bool enabled) const {
    image.Surface().Fill(Colour());
    (enabled ? normal_ : grey_).Draw(image.Surface().Dc(), icon, 0, 0);
    image.Refresh();
}

void TFormSett::EnablePage(int index, bool enabled) {
    using Controls = std::initializer_list<widgets::Window*>;
    auto enable = [enabled](Controls controls) {
        for (widgets::Window* c : controls) c->Enable(enabled);
    };
    const COLORREF gridText = enabled ? kBlackText : kGreyText;
    switch (index) {
        case sett::kSerial:
            enable({&GroupBoxCOM, &LabelCOM_Number, &ComboBoxCOM_Number, &CheckBoxCOM_AutoScan});
            DrawPageIcon(ImageCOM, 0, enabled);
            break;
        case sett::kUsb:
            enable({&GroupBoxFTD, &LabelFTD_Device, &SpeedButtonFTD_Driver});
            DrawPageIcon(ImageFTD, 1, enabled);
            break;
        case sett::kTcp:
            enable({&GroupBoxTCP, &LabelTCP_IP, &LabelTCP_Port, &EditTCP_Port, &IpAddressTCP});
            DrawPageIcon(ImageTCP, 2, enabled);
            break;
        case sett::kGsm:
            enable({&GroupBoxSIM, &LabelSIM_Balance, &EditSIM_Balance, &ComboBoxCSD_Number, &LabelCSD_Numbers,
                    &StringGridCSD_Numbers});
            StringGridCSD_Numbers.SetTextColour(gridText);
            DrawPageIcon(ImageSIM, 3, enabled);
            DrawPageIcon(ImageCSD, 3, enabled);
            break;
        case sett::kRadio:
            enable({&LabelRFM_Type, &LabelRFM_Freq, &ComboBoxRFM_Freq, &LabelRFM_DRfsk, &ComboBoxRFM_DRfsk,
                    &StringGridRFM_Freq, &LabelRFM_Pout, &ComboBoxRFM_Pout, &LabelRFM_DRin, &ComboBoxRFM_DRin,
                    &LabelRFM_Parity, &ComboBoxRFM_Parity, &LabelRFM_Tw, &ComboBoxRFM_Tw});
            StringGridRFM_Freq.SetTextColour(gridText);
            DrawPageIcon(ImageRFM, 4, enabled);
            break;
        default: return;
    }
    KeepFixedControls();
}

// ---- OK, Cancel, defaults --------------------------------------------------------------------

void TFormSett::BitBtnOKClick() {
    if (!held_.ControllerSetting) {
        ModalResult = widgets::mrOk;
        return;
    }
    // Every conversion first: a value that does not convert stores nothing and
    // keeps the dialog open.
    sett::OkTexts texts;
    if (ComboBoxCOM_BaudRate.Index() >= 0) texts.BaudRate = widgets::Narrow(ComboBoxCOM_BaudRate.SelectedText());
    if (ComboBoxCOM_DataBits.Index() >= 0) texts.DataBits = widgets::Narrow(ComboBoxCOM_DataBits.SelectedText());
    texts.TcpPort = widgets::Narrow(EditTCP_Port.Text());
    std::string error;
    const std::optional<sett::OkNumbers> numbers = sett::ConvertOk(texts, error);
    if (!numbers) {
        ShowBox(error.c_str(), "Ошибка", compat::kBoxOk | compat::kBoxIconError);
        return;
    }
    StoreAll(*numbers);
    ModalResult = widgets::mrOk;
}

void TFormSett::StoreAll(const sett::OkNumbers& numbers) {
    // 1. Serial. A list without a selection keeps its member.
    cCOM& com = board::COM;
    if (ComboBoxCOM_Number.Index() >= 0) PutField(com.PortName, ToCp1251(ComboBoxCOM_Number.SelectedText()));
    if (numbers.BaudRate) com.BaudRate = *numbers.BaudRate;
    if (numbers.DataBits) com.DataBits = *numbers.DataBits;
    SetByte(com.StopBits, ComboBoxCOM_StopBits.Index());
    SetByte(com.Parity, ComboBoxCOM_Parity.Index());
    SetByte(com.FlowControl, ComboBoxCOM_FlowControl.Index());
    com.AutoScan = CheckBoxCOM_AutoScan.Checked();
    // 2. USB.
    if (ComboBoxFTD_Device.Index() >= 0) PutField(board::FTD.DeviceName, ToCp1251(ComboBoxFTD_Device.SelectedText()));
    // 3. TCP: a host name stays unless the operator changed the address.
    if (IpAddressTCP.Address() != shownAddress_) PutField(board::TCP.IPv4, DottedAddress(IpAddressTCP.Address()));
    board::TCP.Port = numbers.TcpPort;
    // 4. and 5. GSM: the slave list, the balance request, the number to dial.
    sett::StoreSlaveRows(SlaveRows(), ComboBoxCSD_Number.Index(), held_);
    PutField(board::GSM.BalanceRequest, ToCp1251(EditSIM_Balance.Text()));
    held_.CopySelectedSlaveNumber(board::GSM.CSD_Number, sizeof board::GSM.CSD_Number);
    // 6. Radio.
    cRFM& rfm = board::RFM;
    if (ComboBoxRFM_Freq.Index() >= 0) rfm.Freq = sett::ChannelFreq(ComboBoxRFM_Freq.Index());
    SetByte(rfm.DRfsk, ComboBoxRFM_DRfsk.Index());
    SetByte(rfm.Pout, ComboBoxRFM_Pout.Index());
    SetByte(rfm.DRin, ComboBoxRFM_DRin.Index());
    SetByte(rfm.Parity, ComboBoxRFM_Parity.Index());
    SetByte(rfm.Tw, ComboBoxRFM_Tw.Index());
    for (int n = 1; n <= config::kChannelCount; ++n) held_.FreqComment[n - 1] = ToCp1251(StringGridRFM_Freq.Cell(1, n));
    // 7. and 8. The transport switch; without a selection the interface stays.
    // Without a selection (an interface the shortened list does not hold) the
    // interface and the modem stay as they are.
    const int chosen = ComboBoxInterface.Index();
    if (chosen < 0) return;
    RunTransportSwitch(chosen, board::Interface);
    board::Interface = static_cast<std::int8_t>(chosen);
}

void TFormSett::RunTransportSwitch(int newInterface, int oldInterface) {
    for (sett::SwitchStep step : sett::TransportSwitch(newInterface, oldInterface, board::GSM.ModemOn != 0)) {
        switch (step) {
            case sett::SwitchStep::FtdScanDevicesCount: cFTD::ScanDevicesCount(); break;
            case sett::SwitchStep::GsmOpen: board::GSM.Open(false); break;
            case sett::SwitchStep::GsmPowerOffAT: board::GSM.PowerOffAT(false); break;
            case sett::SwitchStep::GsmClose: board::GSM.Close(); break;
            case sett::SwitchStep::GsmSignalReset:
                if (OnGsmSignalReset) OnGsmSignalReset();
                break;
        }
    }
}

std::vector<sett::SlaveRow> TFormSett::SlaveRows() const {
    std::vector<sett::SlaveRow> rows(sett::kSlaveRows);
    for (int r = 1; r <= sett::kSlaveRows; ++r) {
        rows[r - 1].Number = ToCp1251(StringGridCSD_Numbers.Cell(0, r));
        rows[r - 1].Comment = ToCp1251(StringGridCSD_Numbers.Cell(1, r));
    }
    return rows;
}

void TFormSett::BitBtnDefaultClick() {
    const int answer = ShowBox(
        "Текущие значения ВСЕХ настроек программы будут изменены на значения по умолчанию.    \r\nПродолжить?",
        "Подтверждение", compat::kBoxYesNo | compat::kBoxIconWarning);
    if (answer != compat::kAnswerYes) return;
    for (HWND c : {ComboBoxCOM_BaudRate.hwnd, ComboBoxCOM_DataBits.hwnd, ComboBoxCOM_StopBits.hwnd,
                   ComboBoxCOM_Parity.hwnd, ComboBoxCOM_FlowControl.hwnd, CheckBoxCOM_AutoScan.hwnd,
                   ComboBoxCOM_Number.hwnd})
        FieldDefault(c);
    IpAddressTCP.SetParts(192, 168, 1, 254);
    FieldDefault(EditTCP_Port);
    FieldDefault(ComboBoxCSD_Number);
    StringGridCSD_Numbers.SetCell(0, 1, L"+71234567890");
    StringGridCSD_Numbers.SetCell(1, 1, L"табло");
    for (int r = 2; r <= sett::kSlaveRows; ++r) {
        StringGridCSD_Numbers.SetCell(0, r, L"");
        StringGridCSD_Numbers.SetCell(1, r, L"");
    }
    FieldDefault(EditSIM_Balance);
    for (HWND c : {ComboBoxRFM_Freq.hwnd, ComboBoxRFM_DRfsk.hwnd, ComboBoxRFM_Pout.hwnd, ComboBoxRFM_DRin.hwnd,
                   ComboBoxRFM_Parity.hwnd, ComboBoxRFM_Tw.hwnd})
        FieldDefault(c);
    for (int n = 1; n <= config::kChannelCount; ++n) {
        ComboBoxRFM_Freq.SetItemText(n - 1, std::to_wstring(n));
        StringGridRFM_Freq.SetCell(1, n, L"");
    }
}

void TFormSett::FieldDefault(HWND control) {
    if (control == ComboBoxCOM_Number) ComboBoxCOM_Number.SelectText(L"COM1");
    else if (control == ComboBoxCOM_BaudRate) ComboBoxCOM_BaudRate.SelectText(L"9600");
    else if (control == ComboBoxCOM_DataBits) ComboBoxCOM_DataBits.SelectText(L"8");
    else if (control == ComboBoxCOM_StopBits) ComboBoxCOM_StopBits.SelectText(L"1");
    else if (control == ComboBoxCOM_Parity) ComboBoxCOM_Parity.SelectText(L"None");
    else if (control == ComboBoxCOM_FlowControl) ComboBoxCOM_FlowControl.SelectText(L"None");
    else if (control == CheckBoxCOM_AutoScan) {
        if (!CheckBoxCOM_AutoScan.Checked()) {
            CheckBoxCOM_AutoScan.SetChecked(true);
            CheckBoxCOM_AutoScanClick();
        }
    } else if (control == ComboBoxFTD_Device) ComboBoxFTD_Device.SelectText(L"DEV0");
    else if (control == EditTCP_Port) EditTCP_Port.SetText(L"5000");
    else if (control == ComboBoxCSD_Number) {
        ComboBoxCSD_Number.Clear();
        ComboBoxCSD_Number.Add(L"табло");
        ComboBoxCSD_Number.SetIndex(0);
    } else if (control == EditSIM_Balance) EditSIM_Balance.SetText(L"*100#");
    else if (control == ComboBoxRFM_Freq) ComboBoxRFM_Freq.SetIndex(26);
    else if (control == ComboBoxRFM_DRfsk) ComboBoxRFM_DRfsk.SetIndex(3);
    else if (control == ComboBoxRFM_Pout) ComboBoxRFM_Pout.SetIndex(7);
    else if (control == ComboBoxRFM_DRin) ComboBoxRFM_DRin.SetIndex(3);
    else if (control == ComboBoxRFM_Parity) ComboBoxRFM_Parity.SetIndex(0);
    else if (control == ComboBoxRFM_Tw) ComboBoxRFM_Tw.SetIndex(5);
}

// ---- the pop-up menu -------------------------------------------------------------------------

void TFormSett::PopupMenuPopup(HWND target) {
    popupTarget_ = target;
    DWORD from = 0, to = 0;
    SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const bool isEdit = target == EditTCP_Port || target == EditSIM_Balance;
    PopupMenu.SetEnabled(miCut, isEdit && to > from);
    PopupMenu.SetEnabled(miCopy, isEdit && to > from);
    PopupMenu.SetEnabled(miPaste,
                         isEdit && (IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT)));
    PopupMenu.SetEnabled(miDefault, true);
}

void TFormSett::miDefaultClick() { FieldDefault(popupTarget_); }

// ---- key filters and the grids -----------------------------------------------------------------

void TFormSett::EditTCP_PortKeyPress(wchar_t& key) {
    if (!((key >= L'0' && key <= L'9') || key == L'\b')) key = 0;
}

void TFormSett::EditSIM_BalanceKeyPress(wchar_t& key) {
    if (!((key >= L'0' && key <= L'9') || key == L'*' || key == L'#' || key == L'\b')) key = 0;
}

void TFormSett::StringGridRFM_FreqSetEditText(int col, int row, const std::wstring& text) {
    if (col != 1 || row < 1 || row > config::kChannelCount) return;
    ComboBoxRFM_Freq.SetItemText(row - 1, FromCp1251(sett::ChannelItemText(row, ToCp1251(text))));
}

void TFormSett::StringGridCSD_NumbersKeyPress(int col, int row, wchar_t& key) {
    // Row 1 looks at the header, which is never empty.
    const bool above = !StringGridCSD_Numbers.Cell(0, row - 1).empty();
    if (!sett::SlaveKeyAccepted(col, above, key)) key = 0;
}

void TFormSett::StringGridCSD_NumbersSetEditText(int col, int row, const std::wstring& text) {
    if (text.empty() || row < 1) return;
    const int selected = ComboBoxCSD_Number.Index();
    while (ComboBoxCSD_Number.Count() < row) ComboBoxCSD_Number.Add(text);
    const std::wstring item = col == 0 ? text + L"  " + StringGridCSD_Numbers.Cell(1, row)
                                       : StringGridCSD_Numbers.Cell(0, row) + L"  " + text;
    ComboBoxCSD_Number.SetItemText(row - 1, item);
    ComboBoxCSD_Number.SetIndex(selected);
}

void TFormSett::StringGridCSD_NumbersExit() {
    if (sett::FirstInvalidSlaveRow(SlaveRows()) < 0) return;
    StringGridCSD_Numbers.Focus();
    ShowBox("В таблице замечены некорректные номера SIM карт        \r\nТребования: Номер должен состоять из 11 "
            "цифр и начинаться с +7.        \r\nНапример: +71234567890",
            "Внимание", compat::kBoxOk | compat::kBoxIconWarning);
}

// ---- port scan and device list ---------------------------------------------------------------------

void TFormSett::CheckBoxCOM_AutoScanClick() {
    cCOM& com = board::COM;
    ComboBoxCOM_Number.Clear();
    ++portScans_;
    if (CheckBoxCOM_AutoScan.Checked()) {
        const std::string kept = com.PortName;
        ComboBoxCOM_Number.Enable(false);
        LabelCOM_Number.SetText(L"Поиск...");
        LabelCOM_Number.Repaint();
        widgets::HandlePendingMessages();
        if (com.hDevice) com.Close();
        Fill(ComboBoxCOM_Number, sett::FreePortNames(com.PortsMax, [&com](const std::string& name) {
                 PutField(com.PortName, name);
                 if (!com.Open(false, false)) return false;
                 com.Close();
                 return true;
             }));
        LabelCOM_Number.SetText(L"Номер порта");
        ComboBoxCOM_Number.Enable(true);
        PutField(com.PortName, kept);
    } else {
        Fill(ComboBoxCOM_Number, sett::AllPortNames());
    }
    if (!ComboBoxCOM_Number.SelectText(FromCp1251(com.PortName)) && ComboBoxCOM_Number.Count() > 0)
        ComboBoxCOM_Number.SetIndex(0);
}

void TFormSett::RebuildDeviceList() {
    cFTD& ftd = board::FTD;
    const std::string kept = ftd.DeviceName;
    ComboBoxFTD_Device.Clear();
    LabelFTD_Device.SetText(L"Поиск...");
    LabelFTD_Device.Repaint();
    widgets::HandlePendingMessages();
    // The GSM modem talks through the adapter: closing it under the modem
    // would break every modem action and the next exchange.
    if (ftd.hDevice && board::GSM.ModemOn == 0) ftd.Close();
    Fill(ComboBoxFTD_Device, sett::DeviceNames(ftd.DevicesMax));
    LabelFTD_Device.SetText(L"Устройство");
    PutField(ftd.DeviceName, kept);
    if (!ComboBoxFTD_Device.SelectText(FromCp1251(ftd.DeviceName)) && ComboBoxFTD_Device.Count() > 0)
        ComboBoxFTD_Device.SetIndex(0);
}

// ---- driver and modem actions --------------------------------------------------------------------

void TFormSett::RestoreDriverButton() {
    SpeedButtonFTD_Driver.SetText(widgets::Widen(kDriverCaption));
    Hints.Set(SpeedButtonFTD_Driver, widgets::Widen(kDriverHint));
    EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    BitBtnOK.Enable(true);
    BitBtnCancel.Enable(true);
}

void TFormSett::SpeedButtonFTD_DriverClick() {
    if (driver_ == Driver::Running || cFTD::DriverInstalling != 0) {
        // Pressed again while the installation runs: ask it to stop.
        cFTD::DriverInstalling = 0;
        driver_ = Driver::AbortAsked;
        RestoreDriverButton();
        return;
    }
    driver_ = Driver::Running;
    EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    BitBtnOK.Enable(false);
    BitBtnCancel.Enable(false);
    SpeedButtonFTD_Driver.SetText(widgets::Widen(kDriverAbortCaption));
    Hints.Set(SpeedButtonFTD_Driver, widgets::Widen(kDriverAbortHint));
    ShowBox("Для установки драйвера подключите устройство к USB порту", "Внимание",
            compat::kBoxOk | compat::kBoxIconWarning);
    cFTD::DriverInstall(hwnd);
    RestoreDriverButton();
    driver_ = Driver::Idle;
}

void TFormSett::SpeedButtonSIM_BalanceClick() {
    PutField(board::GSM.BalanceRequest, ToCp1251(EditSIM_Balance.Text()));
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SpeedButtonSIM_Balance.SetDown(true);
    board::GSM.CheckBalance(true);
    SpeedButtonSIM_Balance.SetDown(false);
    SetCursor(previous);
}

void TFormSett::SpeedButtonSIM_ClearClick() {
    const int answer = ShowBox("Все SMS собщения с модема и SIM карты будут удалены. Продолжить?", "Подтверждение",
                               compat::kBoxYesNo | compat::kBoxIconQuestion);
    if (answer == compat::kAnswerYes) board::GSM.SMS_DEL_ALL(true);
}

void TFormSett::SpeedButtonGSM_PowerOffClick() { board::GSM.PowerOff(false); }
