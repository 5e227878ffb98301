// Pictures of windows for the operator's manual that the program cannot be
// made to show on a machine without a modem or a board: the settings dialog
// as delivered and as a build that offers every interface shows it (one
// picture per page, the GSM page with its modem switched on), the time and
// brightness dialog, the GSM window and the status window.
//
// The forms run over the recording transports. Their members are set as the
// live transports set them (a modem that has found the network, a TCP
// connection being set up) and the main window's own timer tick then shows
// the GSM and status windows, so every picture shows what the program draws
// for that state. Each window is repainted at once and copied from its own
// surface, so a picture never depends on when the X server gets its pixels.
//
//   manual_windows.exe FOLDER
//
// writes FOLDER\<name>.bmp for every picture; a window that is not shown or
// renders blank ends the run with exit code 1 and names the picture.
#include <winsock2.h>  // before windows.h, for the TCP transport's header
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "fake_transports.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "transports/gsm/session.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/board/link.h"

namespace {

const char* const kIniFiles[] = {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"};

std::string BinPath(const char* name) { return compat::JoinPath(compat::ExecutableDir(), name); }

// The program's files are Windows-1251 text.
std::string Cp1251(const std::wstring& text) {
    const int length = WideCharToMultiByte(1251, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(1251, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

void WriteIni(const char* name, const std::wstring& text) {
    std::ofstream(BinPath(name), std::ios::binary) << Cp1251(text);
}

// The operator's files: the five interfaces named, the right to change
// settings, two slave modems and two commented radio channels.
void WriteOperatorFiles(int selected) {
    WriteIni("Common.ini", L"[COMMON]\r\nInterface=" + std::to_wstring(selected) +
                               L"\r\nInterfaces[0]=COM порт\r\nInterfaces[1]=USB адаптер\r\nInterfaces[2]=TCP/IP\r\n"
                               L"Interfaces[3]=GSM модем\r\nInterfaces[4]=Радиомодуль\r\nControllerSetting=1\r\n"
                               L"[TIME]\r\nRefresh=0\r\n");
    WriteIni("Zorvel.ini", L"[ZVL]\r\nMode=3\r\nInterval=5\r\n");
    WriteIni("CSD_Numbers.ini",
             L"[SLAVES]\r\nCount=2\r\nIndex=0\r\nN0=+71234567890\r\nC0=табло у входа\r\n"
             L"N1=+79876543210\r\nC1=табло на складе\r\n");
    WriteIni("RFM.ini", L"[RFM]\r\nFreq[7].Comment=табло у входа\r\nFreq[12].Comment=табло на складе\r\n");
}

// The transports' own settings, as their files would give them.
void SetTransportMembers() {
    cCOM& com = board::COM;
    std::snprintf(com.PortName, sizeof com.PortName, "%s", "COM1");
    com.BaudRate = 9600, com.DataBits = 8, com.StopBits = 0, com.Parity = 0, com.FlowControl = 0;
    com.AutoScan = true, com.PortsMax = 8;
    fakes::CurrentAnswers().comPortOpens = [](const std::string& name) { return name == "COM1" || name == "COM3"; };
    std::snprintf(board::FTD.DeviceName, sizeof board::FTD.DeviceName, "%s", "DEV0");
    board::FTD.DevicesMax = 1;
    board::FTD.hDevice = nullptr;
    std::snprintf(board::TCP.IPv4, sizeof board::TCP.IPv4, "%s", "192.168.0.100");
    board::TCP.Port = 5000;
    std::snprintf(board::GSM.BalanceRequest, sizeof board::GSM.BalanceRequest, "%s", "*100#");
    for (int i = 0; i < cGSM::StatusTextCount && i < gsm::kStatusCount; ++i)
        std::snprintf(board::GSM.StatusText[i], sizeof board::GSM.StatusText[i], "%s",
                      gsm::StatusText(static_cast<gsm::Status>(i)));
    board::RFM.Freq = 430000 + 6 * 200;  // channel 7
    board::RFM.DRfsk = 3, board::RFM.Pout = 7, board::RFM.DRin = 3, board::RFM.Parity = 0, board::RFM.Tw = 5;
}

// A modem that is on and has found the network, `q` its signal quality.
void ModemOnline(int q, gsm::Status status) {
    cGSM& gsm = board::GSM;
    gsm.ModemOn = 1, gsm.NetworkFound = 1, gsm.Busy = 0, gsm.BalanceEnable = 1;
    gsm.CSQ = static_cast<std::uint8_t>(q), gsm.CSQ_Gate1 = 1, gsm.CSQ_Gate2 = 1;
    gsm.StatusIdx = status;
}

void ModemOff() {
    cGSM& gsm = board::GSM;
    gsm.ModemOn = 0, gsm.NetworkFound = 0, gsm.BalanceEnable = 0, gsm.StatusIdx = gsm::kNoStatus;
}

// A 24-bit top-down picture in memory, with a DC to draw into it.
class Dib {
public:
    Dib(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        info_.biSize = sizeof info_;
        info_.biWidth = width;
        info_.biHeight = -height;
        info_.biPlanes = 1;
        info_.biBitCount = 24;
        info_.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~Dib() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    bool Valid() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    DWORD Stride() const { return (static_cast<DWORD>(width_) * 3 + 3) & ~3u; }
    const unsigned char* Row(int y) const {
        return static_cast<const unsigned char*>(bits_) + static_cast<std::size_t>(y) * Stride();
    }
    std::size_t Colours() const {
        GdiFlush();
        std::set<unsigned> colours;
        for (int y = 0; y < height_; ++y)
            for (const unsigned char* p = Row(y); p < Row(y) + width_ * 3; p += 3)
                colours.insert(p[0] | p[1] << 8 | p[2] << 16);
        return colours.size();
    }
    // A BMP file with bottom-up rows, as BMP readers expect most widely.
    bool Save(const std::string& path) const {
        BITMAPINFOHEADER info = info_;
        info.biHeight = height_;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + Stride() * static_cast<DWORD>(height_);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        for (int y = height_ - 1; y >= 0; --y) out.write(reinterpret_cast<const char*>(Row(y)), Stride());
        out.close();
        return static_cast<bool>(out);
    }

private:
    int width_, height_;
    HDC dc_;
    BITMAPINFOHEADER info_{};
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

class Photographer {
public:
    explicit Photographer(std::string folder) : folder_(std::move(folder)) {}

    // Copies the client area of `window` (what the operator reads; the frame
    // is the window manager's, not in the window's surface) into
    // FOLDER\name.bmp.
    void Take(HWND window, const char* name) {
        uitest::PumpPending();
        if (!IsWindowVisible(window)) return Fail(name, "the window is not shown");
        RECT r{};
        GetClientRect(window, &r);
        Dib picture(r.right, r.bottom);
        if (!picture.Valid()) return Fail(name, "no memory for the picture");
        // Painting is synchronous here, and the copy comes from the window's
        // own surface, whatever the X server shows at this moment.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC source = GetDC(window);
        const bool copied = BitBlt(picture.Dc(), 0, 0, r.right, r.bottom, source, 0, 0, SRCCOPY) != FALSE;
        ReleaseDC(window, source);
        if (!copied) return Fail(name, "the window cannot be copied");
        // A window drawn at all has text, lines and background: many colours.
        if (picture.Colours() < 8) return Fail(name, "the picture is blank");
        const std::string path = folder_ + "\\" + name + ".bmp";
        if (!picture.Save(path)) return Fail(name, "cannot write " + path);
        std::printf("manual_windows: %s.bmp %ldx%ld\n", name, r.right, r.bottom);
    }

    bool Failed() const { return failed_; }

private:
    void Fail(const char* name, const std::string& why) {
        std::fprintf(stderr, "manual_windows: %s: %s\n", name, why.c_str());
        failed_ = true;
    }
    std::string folder_;
    bool failed_ = false;
};

// The settings dialog as a build that offers every interface shows it.
void OfferAllPages(TForms& forms) {
    TFormSett& s = forms.FormSett;
    s.ComboBoxInterface.Clear();
    for (int i = 0; i < 5; ++i) s.AddInterfaceName(forms.FormMain.InterfaceName(i));
    for (widgets::Window* box : std::initializer_list<widgets::Window*>{
             &s.GroupBoxCSD, &s.GroupBoxTCP, &s.GroupBoxRFM, &s.GroupBoxSIM, &s.GroupBoxFTD, &s.GroupBoxInterface})
        box->Show(true);
}

// The dialog with `page` selected, as it is shown for that interface.
void ShowSettings(TForms& forms, int page) {
    board::Interface = static_cast<std::int8_t>(page);
    forms.FormMain.Settings.Interface = static_cast<std::int8_t>(page);
    forms.FormMain.TimerTimer();  // the modem buttons follow the modem
    TFormSett& s = forms.FormSett;
    if (s.Visible())
        s.FormShow();
    else
        s.Show(true);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: manual_windows FOLDER\n");
        return 2;
    }
    uitest::BoxRecorder boxes;  // nothing here should ask; a box would be a fault
    fakes::Reset();
    SetTransportMembers();
    WriteOperatorFiles(0);
    CreateDirectoryA(argv[1], nullptr);  // an existing folder is fine
    Photographer camera(argv[1]);
    {
        TForms forms;
        forms.FormMain.Show(true);
        uitest::PumpPending();

        // The settings dialog as delivered: the serial page only.
        ShowSettings(forms, 0);
        camera.Take(forms.FormSett, "settings");
        forms.FormSett.Show(false);

        OfferAllPages(forms);
        ShowSettings(forms, 1);
        camera.Take(forms.FormSett, "settings-usb");
        ShowSettings(forms, 2);
        camera.Take(forms.FormSett, "settings-tcp");
        ShowSettings(forms, 4);
        camera.Take(forms.FormSett, "settings-radio");
        // Last, as the modem's buttons keep their state on the other pages.
        ModemOnline(20, gsm::kReady);
        ShowSettings(forms, 3);
        camera.Take(forms.FormSett, "settings-gsm");
        ModemOff();
        forms.FormSett.Show(false);

        // The time and brightness dialog of an operator who may change the
        // schedule, the morning selected.
        TFormTime& time = forms.FormTime;
        time.Editable = true;
        time.Show(true);
        time.FormActivate();
        time.PanelN1Click(timeline::kMorning);
        camera.Take(time, "time");
        time.Show(false);

        // The GSM window and the status window, shown by the main window's
        // tick for a modem that is on: first while it searches the network,
        // then once it found it with a signal of 60 %.
        board::Interface = 3;
        forms.FormMain.Settings.Interface = 3;
        ModemOnline(0, gsm::kSearching);
        board::GSM.NetworkFound = 0;
        board::GSM.CSQ = 99;
        forms.FormMain.TimerTimer();
        camera.Take(forms.FormStat, "status-gsm");
        ModemOnline(20, gsm::kReady);
        forms.FormMain.TimerTimer();
        camera.Take(forms.FormGSM, "gsm");

        // The status window while a TCP connection is being set up (the
        // first tick, before the socket exists, hides the modem's status).
        ModemOff();
        board::Interface = 2;
        forms.FormMain.Settings.Interface = 2;
        forms.FormMain.TimerTimer();
        board::TCP.Socket = 1;
        forms.FormMain.TimerTimer();
        camera.Take(forms.FormStat, "status-tcp");
        board::TCP.Socket = 0;
        forms.FormMain.TimerTimer();
    }
    for (const char* name : kIniFiles) std::remove(BinPath(name).c_str());
    // A message box would stand in front of the windows the pictures show.
    for (const uitest::RecordedBox& box : boxes.Boxes)
        std::fprintf(stderr, "manual_windows: unexpected message \"%s\"\n", box.Text.c_str());
    return camera.Failed() || !boxes.Boxes.empty() ? 1 : 0;
}
