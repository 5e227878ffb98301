// The settings dialog under Wine, over the recording transports: what a show
// puts in the pages, what OK stores (and what it refuses), the port scan and
// device list, the defaults, the slave list, the driver toggle and the modem
// actions. Handlers are called directly; the dialog is shown only where
// showing is what is tested.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "fake_transports.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"

namespace {

const char* const kIniFiles[] = {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"};
std::string BinPath(const char* name) { return compat::JoinPath(compat::ExecutableDir(), name); }

void WriteFile(const char* name, const std::string& bytes) {
    std::ofstream out(BinPath(name), std::ios::binary);
    out << bytes;
}

int CountCalls(const std::string& call) {
    int n = 0;
    for (const std::string& c : fakes::Calls()) n += c == call;
    return n;
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        for (const char* name : kIniFiles) std::remove(BinPath(name).c_str());
        cCOM& com = board::COM;
        std::snprintf(com.PortName, sizeof com.PortName, "%s", "COM1");
        com.BaudRate = 9600, com.DataBits = 8, com.StopBits = 0, com.Parity = 0, com.FlowControl = 0;
        com.AutoScan = true, com.PortsMax = 32;
        std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "%s", "DEV0");
        board::FTD.DevicesMax = 8;
        board::FTD.hDevice = nullptr;
        std::snprintf(board::TCP.IPv4, sizeof board::TCP.IPv4, "%s", "10.0.0.5");
        board::TCP.Port = 5000;
        std::snprintf(board::GSM.BalanceRequest, sizeof board::GSM.BalanceRequest, "%s", "*100#");
        board::GSM.ModemOn = 0, board::GSM.StatusIdx = 0;
        board::RFM.Freq = 430000 + 26 * 200;
        board::RFM.DRfsk = 3, board::RFM.Pout = 7, board::RFM.DRin = 3, board::RFM.Parity = 0, board::RFM.Tw = 5;
    }
    void TearDown() override {
        w.reset();
        for (const char* name : kIniFiles) std::remove(BinPath(name).c_str());
    }
    // The program as delivered: the common file names the interface and the rights.
    void Open(const std::string& common = "[COMMON]\r\nControllerSetting=1\r\nInterfaces[0]=COM\r\n",
              const std::string& slaves = "") {
        WriteFile("Common.ini", common);
        if (!slaves.empty()) WriteFile("CSD_Numbers.ini", slaves);
        w = std::make_unique<TForms>();
        w->FormMain.Show(true);
        uitest::FlushEvents(50);
        fakes::ClearCalls();
    }
    // All five interfaces and pages, as a build that offers them.
    void OpenAllPages(int selected) {
        Open("[COMMON]\r\nControllerSetting=1\r\nInterface=" + std::to_string(selected) +
             "\r\nInterfaces[0]=COM\r\nInterfaces[1]=USB\r\nInterfaces[2]=TCP\r\nInterfaces[3]=GSM\r\n"
             "Interfaces[4]=RF\r\n");
        TFormSett& s = Sett();
        s.ComboBoxInterface.Clear();
        for (const wchar_t* name : {L"COM", L"USB", L"TCP", L"GSM", L"RF"}) s.AddInterfaceName(name);
        for (widgets::Window* box : std::initializer_list<widgets::Window*>{
                 &s.GroupBoxCSD, &s.GroupBoxTCP, &s.GroupBoxRFM, &s.GroupBoxSIM, &s.GroupBoxFTD, &s.GroupBoxInterface})
            box->Show(true);
    }
    TFormSett& Sett() { return w->FormSett; }
    config::Settings& Held() { return w->FormMain.Settings; }

    uitest::BoxRecorder boxes;
    std::unique_ptr<TForms> w;
};

// ---- the delivered configuration ---------------------------------------------------------

TEST_F(SettingsDialog, DeliveredConfigurationShowsOnlyTheSerialPage) {
    Open();
    TFormSett& s = Sett();
    s.Show(true);
    uitest::FlushEvents(50);
    EXPECT_TRUE(s.GroupBoxCOM.Visible());
    for (widgets::Window* hidden : std::initializer_list<widgets::Window*>{
             &s.GroupBoxInterface, &s.GroupBoxRFM, &s.GroupBoxSIM, &s.GroupBoxFTD, &s.GroupBoxTCP, &s.GroupBoxCSD,
             &s.SpeedButtonSIM_Balance, &s.SpeedButtonSIM_Clear, &s.SpeedButtonGSM_PowerOff})
        EXPECT_FALSE(hidden->Visible());
    EXPECT_TRUE(s.BitBtnOK.Visible());
    EXPECT_TRUE(s.BitBtnCancel.Visible());
    EXPECT_TRUE(s.BitBtnDefault.Visible());
    ASSERT_EQ(1, s.ComboBoxInterface.Count());
    EXPECT_EQ(0, s.ComboBoxInterface.Index());
    EXPECT_EQ(0, s.CurrentPage());
    EXPECT_TRUE(s.ComboBoxCOM_Number.Enabled());
    EXPECT_FALSE(s.ComboBoxCOM_BaudRate.Enabled()) << "the line parameters only show the component's values";
    EXPECT_EQ(L"Номер порта", s.LabelCOM_Number.Text());
    RECT client = s.Client();
    EXPECT_EQ(744, client.right);
    EXPECT_EQ(484, client.bottom);
    s.Show(false);
}

TEST_F(SettingsDialog, PagesFollowTheInterface) {
    OpenAllPages(2);
    TFormSett& s = Sett();
    s.FormShow();
    EXPECT_EQ(2, s.CurrentPage());
    EXPECT_TRUE(s.EditTCP_Port.Enabled());
    EXPECT_FALSE(s.ComboBoxCOM_Number.Enabled());
    EXPECT_FALSE(s.EditSIM_Balance.Enabled());
    EXPECT_EQ(RGB(128, 128, 128), s.StringGridCSD_Numbers.TextColour());
    s.ComboBoxInterface.SetIndex(3);
    s.ComboBoxInterfaceChange();
    EXPECT_FALSE(s.EditTCP_Port.Enabled());
    EXPECT_TRUE(s.StringGridCSD_Numbers.Enabled());
    EXPECT_EQ(RGB(0, 0, 0), s.StringGridCSD_Numbers.TextColour());
    s.EnablePage(7, true);  // no page: nothing happens
    EXPECT_EQ(3, s.CurrentPage());
    // Enabling a page enables its group box, not the lists that only show values.
    for (int page : {0, 1}) {
        s.ComboBoxInterface.SetIndex(page);
        s.ComboBoxInterfaceChange();
        EXPECT_FALSE(s.ComboBoxCOM_BaudRate.Enabled()) << page;
        EXPECT_FALSE(s.ComboBoxFTD_Device.Enabled()) << page;
    }
    EXPECT_TRUE(s.SpeedButtonFTD_Driver.Enabled());
    s.ComboBoxInterface.SetIndex(3);
    s.ComboBoxInterfaceChange();
    EXPECT_FALSE(s.SpeedButtonSIM_Clear.Enabled()) << "the modem's buttons follow the modem, not the page";
    s.EnableModemButtons(false, true, true);
    EXPECT_TRUE(s.SpeedButtonSIM_Clear.Enabled());
}

// ---- port scan and device list ---------------------------------------------------------------

TEST_F(SettingsDialog, PortScanOncePerShow) {
    struct Case {
        bool autoScan;
        unsigned portsMax;
        const char* portName;
        std::vector<std::string> free;
        int items;
        const wchar_t* first;
        int selected;  // after the show
    } cases[] = {
        {true, 32, "COM3", {"COM1", "COM5"}, 2, L"COM1", -1},  // a busy port is not selected by the show
        {true, 32, "COM5", {"COM1", "COM5"}, 2, L"COM1", 1},
        {true, 0, "COM1", {"COM1"}, 0, nullptr, -1},
        {true, 255, "COM1", {"COM1", "COM255"}, 2, L"COM1", 0},
        {false, 32, "COM7", {}, 255, L"COM1", 6},
    };
    Open();
    TFormSett& s = Sett();
    for (const Case& c : cases) {
        cCOM& com = board::COM;
        com.AutoScan = c.autoScan;
        com.PortsMax = static_cast<std::uint8_t>(c.portsMax);
        std::snprintf(com.PortName, sizeof com.PortName, "%s", c.portName);
        std::vector<std::string> free = c.free;
        fakes::CurrentAnswers().comPortOpens = [free](const std::string& name) {
            return std::find(free.begin(), free.end(), name) != free.end();
        };
        fakes::ClearCalls();
        const int scans = s.PortScans();
        s.FormShow();
        EXPECT_EQ(scans + 1, s.PortScans()) << c.portsMax;
        EXPECT_EQ(c.autoScan ? static_cast<int>(c.portsMax) : 0, CountCalls("COM.Open(0,0)")) << c.portsMax;
        EXPECT_EQ(c.items, s.ComboBoxCOM_Number.Count()) << c.portsMax;
        if (c.first) {
            EXPECT_EQ(c.first, s.ComboBoxCOM_Number.ItemText(0));
        }
        EXPECT_EQ(c.selected, s.ComboBoxCOM_Number.Index()) << c.portName;
        EXPECT_STREQ(c.portName, com.PortName) << "the scan puts the port name back";
        EXPECT_EQ(c.autoScan, s.CheckBoxCOM_AutoScan.Checked());
    }
    // The check box's own click selects the first port when the name is not listed.
    board::COM.AutoScan = true;
    std::snprintf(board::COM.PortName, sizeof board::COM.PortName, "%s", "COM3");
    fakes::CurrentAnswers().comPortOpens = [](const std::string& name) { return name == "COM1" || name == "COM5"; };
    s.FormShow();
    s.CheckBoxCOM_AutoScanClick();
    EXPECT_EQ(L"COM1", s.ComboBoxCOM_Number.SelectedText());
}

TEST_F(SettingsDialog, DeviceListAndTheAdapterUnderTheModem) {
    Open();
    TFormSett& s = Sett();
    struct Case {
        std::int32_t devicesMax;
        const char* name;
        int items, selected;
    } cases[] = {{3, "DEV5", 3, 0}, {200, "DEV126", 127, 126}, {0, "DEV0", 0, -1}};
    for (const Case& c : cases) {
        board::FTD.DevicesMax = c.devicesMax;
        std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "%s", c.name);
        s.RebuildDeviceList();
        EXPECT_EQ(c.items, s.ComboBoxFTD_Device.Count()) << c.devicesMax;
        EXPECT_EQ(c.selected, s.ComboBoxFTD_Device.Index()) << c.devicesMax;
        EXPECT_STREQ(c.name, board::FTD.DeviceName);
        EXPECT_EQ(L"Устройство", s.LabelFTD_Device.Text());
    }
    // An open adapter is closed for the list, unless the GSM modem uses it.
    int probe = 0;
    board::FTD.hDevice = &probe;
    board::GSM.ModemOn = 1;
    fakes::ClearCalls();
    s.RebuildDeviceList();
    EXPECT_EQ(0, CountCalls("FTD.Close()"));
    board::GSM.ModemOn = 0;
    s.RebuildDeviceList();
    EXPECT_EQ(1, CountCalls("FTD.Close()"));
}

// ---- OK ---------------------------------------------------------------------------------------------

TEST_F(SettingsDialog, OkStoresThePagesAndSwitchesTheTransport) {
    OpenAllPages(3);
    TFormSett& s = Sett();
    board::GSM.StatusIdx = 1;
    s.FormShow();
    fakes::CurrentAnswers().comPortOpens = [](const std::string&) { return true; };
    s.CheckBoxCOM_AutoScanClick();
    s.ComboBoxCOM_Number.SelectText(L"COM4");
    s.EditTCP_Port.SetText(L"05000");
    s.EditSIM_Balance.SetText(L"*102#");
    s.ComboBoxRFM_Freq.SetIndex(34);
    s.ComboBoxRFM_Tw.SetIndex(2);
    s.StringGridRFM_Freq.SetCell(1, 3, L"склад");
    s.ComboBoxInterface.SetIndex(0);
    int resets = 0;
    s.OnGsmSignalReset = [&resets] { ++resets; };
    fakes::ClearCalls();
    s.ModalResult = widgets::mrNone;
    s.BitBtnOKClick();
    EXPECT_EQ(widgets::mrOk, s.ModalResult);
    EXPECT_STREQ("COM4", board::COM.PortName);
    EXPECT_EQ(5000, board::TCP.Port);
    EXPECT_STREQ("10.0.0.5", board::TCP.IPv4);
    EXPECT_STREQ("*102#", board::GSM.BalanceRequest);
    EXPECT_EQ(430000 + 34 * 200, board::RFM.Freq);
    EXPECT_EQ(2, board::RFM.Tw);
    EXPECT_EQ("\xF1\xEA\xEB\xE0\xE4", Held().FreqComment[2]);  // cp1251
    EXPECT_EQ((std::vector<std::string>{"GSM.PowerOffAT(0)", "GSM.Close()"}), fakes::Calls());
    EXPECT_EQ(1, resets);
    EXPECT_EQ(0, board::Interface);

    // To the modem: opened only while it is off, also when a failed call
    // left it off with its reason on show.
    struct {
        int from, modemOn, statusIdx;
    } toModem[] = {{0, 0, 0}, {0, 1, 2}, {3, 0, 8}, {3, 1, 3}};
    for (const auto& c : toModem) {
        board::Interface = static_cast<std::int8_t>(c.from);
        board::GSM.ModemOn = static_cast<std::uint8_t>(c.modemOn);
        board::GSM.StatusIdx = c.statusIdx;
        s.FormShow();
        s.ComboBoxInterface.SetIndex(3);
        fakes::ClearCalls();
        s.BitBtnOKClick();
        std::vector<std::string> expected{"FTD.ScanDevicesCount()"};
        if (!c.modemOn) expected.push_back("GSM.Open(0)");
        expected.push_back("FTD.ScanDevicesCount()");
        EXPECT_EQ(expected, fakes::Calls()) << c.from << " modem " << c.modemOn << " status " << c.statusIdx;
        EXPECT_EQ(3, board::Interface);
    }
    board::GSM.ModemOn = 0;
}

// A value that does not convert, or a port past 16 bits: the error, nothing
// stored, the dialog stays open.
TEST_F(SettingsDialog, OkRefusesWhatDoesNotConvertAndStoresNothing) {
    struct Case {
        const wchar_t* port;
        const char* message;
    } cases[] = {{L"", "'' is not a valid integer value"},
                 {L"70000", "'70000' is not a valid port number (0-65535)"},
                 {L"12\u0430", "'12\u0430' is not a valid integer value"}};
    for (const Case& c : cases) {
        OpenAllPages(3);
        TFormSett& s = Sett();
        s.FormShow();
        s.ComboBoxCOM_Number.SetIndex(3);
        s.EditSIM_Balance.SetText(L"*5#");
        s.ComboBoxInterface.SetIndex(0);
        s.EditTCP_Port.SetText(c.port);
        boxes.Boxes.clear();
        fakes::ClearCalls();
        s.ModalResult = widgets::mrNone;
        s.BitBtnOKClick();
        ASSERT_EQ(1u, boxes.Boxes.size());
        EXPECT_EQ(c.message, boxes.Boxes[0].Text);
        EXPECT_EQ("Ошибка", boxes.Boxes[0].Caption);
        EXPECT_EQ(compat::kBoxOk | compat::kBoxIconError | compat::kBoxTopMost, boxes.Boxes[0].Type);
        EXPECT_EQ(widgets::mrNone, s.ModalResult) << "the dialog stays open";
        EXPECT_STREQ("COM1", board::COM.PortName);
        EXPECT_STREQ("*100#", board::GSM.BalanceRequest);
        EXPECT_EQ(5000, board::TCP.Port);
        EXPECT_EQ(3, board::Interface);
        EXPECT_TRUE(fakes::Calls().empty()) << "no transport switch";
        w.reset();
    }
}

// Lists without a selection keep their members; the interface that the
// shortened list does not hold stays, and so does the modem.
TEST_F(SettingsDialog, OkKeepsWhatNoListSelects) {
    board::COM.BaudRate = 12345;    // not in the list
    board::RFM.Freq = 429800;       // channel -1
    board::RFM.Pout = 9;            // past the list
    std::snprintf(board::COM.PortName, sizeof board::COM.PortName, "%s", "COM3");
    Open("[COMMON]\r\nControllerSetting=1\r\nInterface=3\r\nInterfaces[0]=COM\r\n",
         "[SLAVES]\r\nCount=2\r\nIndex=-1\r\nN0=+71111111111\r\nN1=+72222222222\r\n");
    TFormSett& s = Sett();
    fakes::CurrentAnswers().comPortOpens = [](const std::string& name) { return name == "COM1"; };
    s.FormShow();
    EXPECT_EQ(-1, s.ComboBoxInterface.Index());
    EXPECT_EQ(-1, s.ComboBoxCOM_Number.Index()) << "COM3 is busy";
    std::snprintf(board::GSM.CSD_Number, sizeof board::GSM.CSD_Number, "%s", "+79999999999");
    fakes::ClearCalls();
    s.BitBtnOKClick();
    EXPECT_EQ(widgets::mrOk, s.ModalResult);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_STREQ("COM3", board::COM.PortName);
    EXPECT_EQ(12345u, board::COM.BaudRate);
    EXPECT_EQ(429800, board::RFM.Freq);
    EXPECT_EQ(9, board::RFM.Pout);
    EXPECT_EQ(3, board::Interface);
    EXPECT_TRUE(fakes::Calls().empty()) << "the modem is not switched off";
    EXPECT_EQ(-1, Held().Index);
    EXPECT_EQ(2u, Held().Count);
    EXPECT_STREQ("", board::GSM.CSD_Number) << "no entry -1: nothing to dial, no stale number";
}

TEST_F(SettingsDialog, AddressIsWrittenBackOnlyWhenChanged) {
    struct Case {
        const char* held;
        std::uint32_t shown;
    } cases[] = {{"10.0.0.5", 0x0A000005}, {"1.2.3.4.5", 0x01020304}, {"1.2.3", 0x01020300}, {"srv", 0}};
    Open();
    TFormSett& s = Sett();
    for (const Case& c : cases) {
        std::snprintf(board::TCP.IPv4, sizeof board::TCP.IPv4, "%s", c.held);
        s.FormShow();
        EXPECT_EQ(c.shown, s.IpAddressTCP.Address()) << c.held;
        s.BitBtnOKClick();
        EXPECT_STREQ(c.held, board::TCP.IPv4) << "untouched field, held text kept";
    }
    s.FormShow();
    s.IpAddressTCP.SetParts(192, 168, 0, 7);
    s.BitBtnOKClick();
    EXPECT_STREQ("192.168.0.7", board::TCP.IPv4);
}

TEST_F(SettingsDialog, ReadOnlyShowsAndStoresNothing) {
    Open("[COMMON]\r\nInterfaces[0]=COM\r\n");
    TFormSett& s = Sett();
    s.Show(true);
    uitest::FlushEvents(30);
    EXPECT_FALSE(s.PanelC.Enabled());
    EXPECT_FALSE(s.PanelL.Enabled());
    EXPECT_FALSE(s.PanelR.Enabled());
    EXPECT_FALSE(s.BitBtnDefault.Visible());
    EXPECT_FALSE(s.BitBtnCancel.Visible());
    EXPECT_TRUE(s.BitBtnOK.Visible());
    s.ComboBoxCOM_Number.SetIndex(4);
    s.EditTCP_Port.SetText(L"");
    fakes::ClearCalls();
    s.BitBtnOKClick();
    EXPECT_EQ(widgets::mrOk, s.ModalResult);
    EXPECT_TRUE(boxes.Boxes.empty()) << "nothing converted, nothing refused";
    EXPECT_STREQ("COM1", board::COM.PortName);
    EXPECT_EQ(5000, board::TCP.Port);
    s.Show(false);
}

// ---- defaults and the pop-up menu -----------------------------------------------------------------

TEST_F(SettingsDialog, AllDefaultsAfterYesOnly) {
    OpenAllPages(2);
    TFormSett& s = Sett();
    s.FormShow();
    s.EditTCP_Port.SetText(L"81");
    s.ComboBoxRFM_Freq.SetIndex(3);
    s.StringGridRFM_Freq.SetCell(1, 4, L"x");
    s.StringGridRFM_FreqSetEditText(1, 4, L"x");
    s.ComboBoxFTD_Device.SetIndex(2);
    boxes.Answer = compat::kAnswerNo;
    s.BitBtnDefaultClick();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Текущие значения ВСЕХ настроек программы будут изменены на значения по умолчанию.    \r\nПродолжить?",
              boxes.Boxes[0].Text);
    EXPECT_EQ("Подтверждение", boxes.Boxes[0].Caption);
    EXPECT_EQ(compat::kBoxYesNo | compat::kBoxIconWarning | compat::kBoxTopMost, boxes.Boxes[0].Type);
    EXPECT_EQ(L"81", s.EditTCP_Port.Text());
    EXPECT_EQ(3, s.ComboBoxRFM_Freq.Index());

    boxes.Answer = compat::kAnswerYes;
    s.BitBtnDefaultClick();
    EXPECT_EQ(L"5000", s.EditTCP_Port.Text());
    EXPECT_EQ(0xC0A801FEu, s.IpAddressTCP.Address());
    EXPECT_EQ(L"*100#", s.EditSIM_Balance.Text());
    EXPECT_EQ(L"9600", s.ComboBoxCOM_BaudRate.SelectedText());
    EXPECT_EQ(L"COM1", s.ComboBoxCOM_Number.SelectedText());
    ASSERT_EQ(1, s.ComboBoxCSD_Number.Count());
    EXPECT_EQ(L"табло", s.ComboBoxCSD_Number.SelectedText());
    EXPECT_EQ(L"+71234567890", s.StringGridCSD_Numbers.Cell(0, 1));
    EXPECT_EQ(L"", s.StringGridCSD_Numbers.Cell(0, 2));
    EXPECT_EQ(26, s.ComboBoxRFM_Freq.Index());
    EXPECT_EQ(L"4", s.ComboBoxRFM_Freq.ItemText(3));
    EXPECT_EQ(L"", s.StringGridRFM_Freq.Cell(1, 4));
    EXPECT_EQ(5, s.ComboBoxRFM_Tw.Index());
    EXPECT_EQ(2, s.ComboBoxFTD_Device.Index()) << "the device and the interface keep their selection";
    EXPECT_EQ(2, s.ComboBoxInterface.Index());
    s.BitBtnOKClick();
    EXPECT_EQ(430000 + 26 * 200, board::RFM.Freq);
    EXPECT_EQ(1u, Held().Count);
}

TEST_F(SettingsDialog, PopupMenuItemsFollowTheTarget) {
    OpenAllPages(2);
    TFormSett& s = Sett();
    s.FormShow();
    s.EditTCP_Port.SetText(L"1234");
    s.EditTCP_Port.Focus();
    s.EditTCP_Port.Send(EM_SETSEL, 0, 2);
    s.PopupMenuPopup(s.EditTCP_Port);
    EXPECT_TRUE(s.PopupMenu.ItemEnabled(TFormSett::miCut));
    EXPECT_TRUE(s.PopupMenu.ItemEnabled(TFormSett::miCopy));
    EXPECT_TRUE(s.PopupMenu.ItemEnabled(TFormSett::miDefault));
    s.PopupMenu.Choose(TFormSett::miDefault);
    EXPECT_EQ(L"5000", s.EditTCP_Port.Text());
    s.PopupMenuPopup(s.ComboBoxRFM_DRin);
    EXPECT_FALSE(s.PopupMenu.ItemEnabled(TFormSett::miCut)) << "a list is no edit field";
    EXPECT_FALSE(s.PopupMenu.ItemEnabled(TFormSett::miPaste));
    s.ComboBoxRFM_DRin.SetIndex(0);
    s.PopupMenu.Choose(TFormSett::miDefault);
    EXPECT_EQ(3, s.ComboBoxRFM_DRin.Index());
    s.PopupMenuPopup(s.ComboBoxInterface);  // no default of its own
    s.ComboBoxInterface.SetIndex(1);
    s.PopupMenu.Choose(TFormSett::miDefault);
    EXPECT_EQ(1, s.ComboBoxInterface.Index());

    // Key filters.
    for (auto [edit, typed, kept] : {std::tuple{&s.EditTCP_Port, L"1a2-", L"12"}, std::tuple{&s.EditSIM_Balance, L"*1x0#", L"*10#"}}) {
        edit->SetText(L"");
        for (const wchar_t* k = typed; *k; ++k) edit->Send(WM_CHAR, *k, 1);
        EXPECT_EQ(kept, edit->Text());
    }
}

// ---- channel comments and the slave list ---------------------------------------------------------

TEST_F(SettingsDialog, ChannelCommentsInTheList) {
    WriteFile("RFM.ini", "[RFM]\r\nFreq[5].Comment=\xF1\xE5\xE2\xE5\xF0\r\n");  // "север"
    OpenAllPages(4);
    TFormSett& s = Sett();
    s.FormShow();
    EXPECT_EQ(L"7  ", s.ComboBoxRFM_Freq.ItemText(6));
    EXPECT_EQ(L"5  север", s.ComboBoxRFM_Freq.ItemText(4));
    EXPECT_EQ(L"север", s.StringGridRFM_Freq.Cell(1, 5));
    EXPECT_EQ(L"27", s.StringGridRFM_Freq.Cell(0, 27));
    EXPECT_EQ(26, s.ComboBoxRFM_Freq.Index());
    s.StringGridRFM_FreqSetEditText(1, 5, L"юг");
    EXPECT_EQ(L"5  юг", s.ComboBoxRFM_Freq.ItemText(4));
    EXPECT_EQ(26, s.ComboBoxRFM_Freq.Index()) << "the selection is kept";
    s.StringGridRFM_FreqSetEditText(0, 6, L"x");  // not the comment column
    EXPECT_EQ(L"6  ", s.ComboBoxRFM_Freq.ItemText(5));
}

TEST_F(SettingsDialog, SlaveListShownEditedAndStored) {
    OpenAllPages(3);
    TFormSett& s = Sett();
    Held().Count = 2, Held().Index = 1;
    std::snprintf(Held().Slaves[0].Number, 13, "%s", "+71111111111");
    std::snprintf(Held().Slaves[1].Number, 13, "%s", "+72222222222");
    Held().Slaves[1].Comment = "b";
    s.FormShow();
    ASSERT_EQ(2, s.ComboBoxCSD_Number.Count());
    EXPECT_EQ(L"+72222222222  b", s.ComboBoxCSD_Number.SelectedText());
    EXPECT_EQ(L"", s.StringGridCSD_Numbers.Cell(0, 3));

    // Keys: none below an empty number; digits and '+' only in the number column.
    struct Key {
        int col, row;
        wchar_t key;
        bool taken;
    } keys[] = {{0, 4, L'1', false}, {1, 4, L'a', false}, {0, 3, L'a', false}, {0, 3, L'7', true}, {1, 1, L'a', true}};
    for (const Key& k : keys) {
        wchar_t key = k.key;
        s.StringGridCSD_NumbersKeyPress(k.col, k.row, key);
        EXPECT_EQ(k.taken, key != 0) << k.col << "," << k.row;
    }

    // Editing pads the list and keeps its selection.
    s.StringGridCSD_Numbers.SetCell(1, 1, L"word");
    s.StringGridCSD_NumbersSetEditText(1, 1, L"word");
    EXPECT_EQ(L"+71111111111  word", s.ComboBoxCSD_Number.ItemText(0));
    EXPECT_EQ(1, s.ComboBoxCSD_Number.Index());
    s.FieldDefault(s.ComboBoxCSD_Number);
    s.StringGridCSD_Numbers.SetCell(0, 3, L"+7333");
    s.StringGridCSD_NumbersSetEditText(0, 3, L"+7333");
    ASSERT_EQ(3, s.ComboBoxCSD_Number.Count());
    EXPECT_EQ(L"+7333", s.ComboBoxCSD_Number.ItemText(1));
    EXPECT_EQ(L"+7333  ", s.ComboBoxCSD_Number.ItemText(2));

    // Leaving the table with a bad number warns once and keeps the focus there.
    boxes.Boxes.clear();
    s.StringGridCSD_NumbersExit();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("В таблице замечены некорректные номера SIM карт        \r\nТребования: Номер должен состоять из 11 цифр "
              "и начинаться с +7.        \r\nНапример: +71234567890",
              boxes.Boxes[0].Text);
    EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
    EXPECT_TRUE(s.StringGridCSD_Numbers.Focused());

    // OK with rows 1, 2 and 4 filled: two entries; the number to dial follows Index.
    s.StringGridCSD_Numbers.SetCell(0, 2, L"+72222222222");
    s.StringGridCSD_Numbers.SetCell(0, 3, L"");
    s.StringGridCSD_Numbers.SetCell(0, 4, L"+74444444444");
    s.ComboBoxCSD_Number.SetIndex(1);
    s.BitBtnOKClick();
    EXPECT_EQ(2u, Held().Count);
    EXPECT_EQ(1, Held().Index);
    EXPECT_STREQ("+72222222222", board::GSM.CSD_Number);
}

// ---- driver reinstall and modem actions -------------------------------------------------------------

TEST_F(SettingsDialog, DriverReinstallLocksTheDialogUntilItEndsOrIsAborted) {
    OpenAllPages(1);
    TFormSett& s = Sett();
    s.Show(true);
    uitest::FlushEvents(30);
    HMENU system = GetSystemMenu(s, FALSE);
    bool checked = false;
    fakes::CurrentAnswers().duringDriverInstall = [&] {
        checked = true;
        EXPECT_EQ(L"Прервать установку", s.SpeedButtonFTD_Driver.Text());
        EXPECT_EQ(L"Аварийное прекращение установки драйвера", s.Hints.Get(s.SpeedButtonFTD_Driver));
        EXPECT_FALSE(s.BitBtnOK.Enabled());
        EXPECT_FALSE(s.BitBtnCancel.Enabled());
        EXPECT_TRUE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        s.ModalResult = widgets::mrNone;
        s.Send(WM_CLOSE);                                  // the close box, Alt+F4
        s.Send(WM_SYSCOMMAND, SC_CLOSE, 0);
        s.Send(WM_KEYDOWN, VK_ESCAPE, 0);
        s.Send(WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(widgets::mrNone, s.ModalResult);
        EXPECT_TRUE(s.Visible());
        // The second click asks the installation to stop and restores everything.
        s.SpeedButtonFTD_Driver.Click();
        EXPECT_EQ(0, cFTD::DriverInstalling);
        EXPECT_EQ(L"Переустановить драйвер", s.SpeedButtonFTD_Driver.Text());
        EXPECT_TRUE(s.BitBtnOK.Enabled());
        EXPECT_FALSE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    };
    s.SpeedButtonFTD_DriverClick();
    EXPECT_TRUE(checked);
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Для установки драйвера подключите устройство к USB порту", boxes.Boxes[0].Text);
    EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
    EXPECT_EQ(L"Переустановить драйвер для работы через USB порт если он удален либо поврежден.",
              s.Hints.Get(s.SpeedButtonFTD_Driver));
    EXPECT_TRUE(s.BitBtnCancel.Enabled());
    s.Send(WM_CLOSE);
    EXPECT_FALSE(s.Visible()) << "closable again";
}

TEST_F(SettingsDialog, ModemActions) {
    OpenAllPages(3);
    TFormSett& s = Sett();
    s.FormShow();
    fakes::ClearCalls();
    s.EditSIM_Balance.SetText(L"*105#");
    s.SpeedButtonSIM_BalanceClick();
    EXPECT_STREQ("*105#", board::GSM.BalanceRequest);
    EXPECT_FALSE(s.SpeedButtonSIM_Balance.Down());
    boxes.Answer = compat::kAnswerNo;
    s.SpeedButtonSIM_ClearClick();
    boxes.Answer = compat::kAnswerYes;
    s.SpeedButtonSIM_ClearClick();
    ASSERT_EQ(2u, boxes.Boxes.size());
    EXPECT_EQ("Все SMS собщения с модема и SIM карты будут удалены. Продолжить?", boxes.Boxes[0].Text);
    EXPECT_EQ(compat::kBoxYesNo | compat::kBoxIconQuestion | compat::kBoxTopMost, boxes.Boxes[0].Type);
    s.SpeedButtonGSM_PowerOffClick();
    EXPECT_EQ((std::vector<std::string>{"GSM.CheckBalance(1)", "GSM.SMS_DEL_ALL(1)", "GSM.PowerOff(0)"}), fakes::Calls());
    // Cancel after a balance request: the request text stays stored.
    s.BitBtnCancelClick();
    EXPECT_STREQ("*105#", board::GSM.BalanceRequest);
}

// Renders every page, once each, as a build that offers them all would show
// it (ZORVEL_SETT_SHOTS names the folder for the pictures).
TEST_F(SettingsDialog, EveryPageRenders) {
    OpenAllPages(0);
    TFormSett& s = Sett();
    s.Show(true);
    const char* folder = std::getenv("ZORVEL_SETT_SHOTS");
    for (int page = 0; page < 5; ++page) {
        s.ComboBoxInterface.SetIndex(page);
        s.ComboBoxInterfaceChange();
        uitest::FlushEvents(100);
        uitest::Rendered shot(s);
        EXPECT_GT(shot.Count(s.Colour()), 1000) << page;
        // The slave list's cells, and the grid beyond them, in the button-highlight colour.
        uitest::Rendered slaves(s.StringGridCSD_Numbers);
        const RECT cell = s.StringGridCSD_Numbers.CellRect(1, 3);
        EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), slaves.At(cell.right - 2, cell.top + 2)) << page;
        EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), slaves.At(s.StringGridCSD_Numbers.Client().right - 1, cell.top + 2));
        if (folder) {
            const std::string path = std::string(folder) + "\\sett-page" + std::to_string(page) + ".bmp";
            uitest::SaveBitmap(s, path);
        }
    }
    s.Show(false);
}

}  // namespace
