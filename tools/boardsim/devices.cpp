#include "devices.h"

namespace boardsim {

namespace {

const char* const kModemFaults[] = {"mute", "no-network", "busy", "no-answer", "no-carrier", "bulk-delete-error"};

GsmModemConfig WithFaults(GsmModemConfig config, const std::vector<std::string>& faults) {
    for (const std::string& fault : faults) {
        if (fault == "mute") config.Mute = true;
        else if (fault == "no-network") config.NoNetwork = true;
        else if (fault == "busy") config.LineBusy = true;
        else if (fault == "no-answer") config.NoAnswer = true;
        else if (fault == "no-carrier") config.DropCall = true;
        else if (fault == "bulk-delete-error") config.RefuseBulkDelete = true;
    }
    return config;
}

}  // namespace

// Headings, not option groups: see ParseCommandLine.
void AddDeviceOptions(CLI::App& app, DeviceOptions& options) {
    const std::string modemHeading = "GSM modem";
    auto* modem = app.add_flag("--modem", options.ModemMode,
                               "serve a GSM modem in front of the board: clients reach the board through it\n"
                               "(AT commands; \"ATD<number>\" calls the slave modem at the board and answers\n"
                               "\"CONNECT 9600\"; \"+++\" with 1 s guard times)")
                      ->group(modemHeading);
    GsmModemConfig& m = options.ModemConfig;
    app.add_option("--modem-fault", options.ModemFaults,
                   "mute, no-network, busy, no-answer, no-carrier (the call drops in the middle of the\n"
                   "board's first answer), bulk-delete-error (repeatable)")
        ->check(CLI::IsMember(std::vector<std::string>(std::begin(kModemFaults), std::end(kModemFaults))))
        ->needs(modem)->group(modemHeading);
    app.add_option("--modem-signal", m.SignalQuality, "signal quality reported by AT+CSQ (0-31, 99)")
        ->check(CLI::Range(0, 99))->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-search-ms", m.SearchMs, "network search after switching on")
        ->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-ring-ms", m.RingMs, "from ATD to the slave modem's answer")
        ->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-guard-ms", m.GuardMs, "escape guard time")
        ->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-ussd", m.UssdText, "the network's answer to the balance request")
        ->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-ussd-code", m.UssdCode, "the balance request the network knows")
        ->capture_default_str()->needs(modem)->group(modemHeading);
    app.add_option("--modem-sms", m.SmsOnSim, "messages on the SIM card at switch-on (the modem holds 2)")
        ->check(CLI::Range(0, 20))->capture_default_str()->needs(modem)->group(modemHeading);

    const std::string radioHeading = "Radio module";
    auto* radio = app.add_flag("--radio", options.RadioMode,
                               "serve a 433 MHz radio module in front of the board: clients reach the board\n"
                               "through it; the adapter's pin state (the D2XX test double's pins file) selects\n"
                               "configuration or transparent mode")
                      ->group(radioHeading);
    radio->excludes(modem);
    RadioConfig& r = options.Radio;
    app.add_option("--radio-pins", r.PinsFile, "file holding the adapter's bit mode (mask, mode)")
        ->needs(radio)->group(radioHeading);
    app.add_option("--radio-channel", options.RadioChannel, "the board module's channel (1-35)")
        ->check(CLI::Range(1, 35))->capture_default_str()->needs(radio)->group(radioHeading);
    app.add_option("--radio-drop", r.DropPercent, "share of the board's answers lost on the air, percent")
        ->check(CLI::Range(0, 100))->needs(radio)->group(radioHeading);
    app.add_option("--radio-garble", r.GarblePercent, "share of the board's answers garbled, percent")
        ->check(CLI::Range(0, 100))->needs(radio)->group(radioHeading);
}

DeviceFactory MakeDeviceFactory(const DeviceOptions& options) {
    if (options.ModemMode) {
        GsmModemConfig config = WithFaults(options.ModemConfig, options.ModemFaults);
        return [config](DevicePort& port) {
            return std::make_unique<GsmModem>(port, config, std::chrono::steady_clock::now());
        };
    }
    if (options.RadioMode) {
        RadioConfig config = options.Radio;
        config.BoardFreqKHz = 430000 + 200 * (options.RadioChannel - 1);
        return [config](DevicePort& port) { return std::make_unique<RadioModule>(port, config); };
    }
    return {};
}

}  // namespace boardsim
