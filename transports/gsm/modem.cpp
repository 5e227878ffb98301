#include "transports/gsm/modem.h"

namespace gsm {

Modem::Modem(ModemPort& port, Indicators& indicators, const Timings& timings, transports::Clock& workerClock,
             transports::Clock& callerClock)
    : indicators_(indicators),
      timings_(timings),
      workerClock_(workerClock),
      callerClock_(callerClock),
      dialogue_(port, workerClock),
      session_(dialogue_, indicators, timings) {
    dialogue_.SetCarrierLostHandler([this] { session_.CarrierLost(); });
}

Modem::~Modem() { Stop(); }

void Modem::Start() {
    Stop();
    dialogue_.Restart();
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = false;
    running_ = true;
    bringUp_ = true;
    worker_ = std::thread([this] { Work(); });
}

void Modem::Stop() {
    dialogue_.Cancel();
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    {
        std::lock_guard<std::mutex> hold(lock_);
        running_ = false;
        for (Job* job : jobs_) job->Done = true;  // never run: their callers see that
        jobs_.clear();
    }
    wake_.notify_all();
    indicators_.Busy = 0;
}

bool Modem::Running() const {
    std::lock_guard<std::mutex> hold(lock_);
    return running_ && !stopping_;
}

bool Modem::Run(std::function<void()> work) {
    bool ran = false;
    Job job{[&] {
        work();
        ran = true;
    }};
    std::unique_lock<std::mutex> lock(lock_);
    if (!running_ || stopping_) return false;
    jobs_.push_back(&job);
    wake_.notify_all();
    // The worker's every step is bounded, and Stop ends it, so the job ends.
    while (!job.Done) callerClock_.WaitUntil(lock, wake_, callerClock_.Now() + timings_.Poll);
    return ran;
}

bool Modem::BringUp() {
    indicators_.Busy = 1;
    bool ready = session_.StartUp() && session_.WaitNetwork();
    indicators_.Busy = 0;
    return ready;
}

void Modem::Work() {
    Ms nextReport = workerClock_.Now();
    std::unique_lock<std::mutex> lock(lock_);
    while (!stopping_) {
        // Requests need the modem up, so a pending start comes first.
        if (bringUp_) {
            bringUp_ = false;
            lock.unlock();
            BringUp();
            lock.lock();
            nextReport = workerClock_.Now() + timings_.Poll;
            continue;
        }
        if (!jobs_.empty()) {
            Job* job = jobs_.front();
            jobs_.pop_front();
            lock.unlock();
            indicators_.Busy = 1;
            job->Work();
            indicators_.Busy = 0;
            lock.lock();
            job->Done = true;
            wake_.notify_all();
            continue;
        }
        if (workerClock_.Now() >= nextReport) {
            lock.unlock();
            session_.Poll();
            session_.AgeReport();
            lock.lock();
            nextReport = workerClock_.Now() + timings_.Poll;
            continue;
        }
        workerClock_.WaitUntil(lock, wake_, nextReport);
    }
}

bool Modem::PowerOn(bool call, const std::string& number) {
    bool connected = false;
    bool ran = Run([&] {
        if (InDataMode()) {  // still in the call of an earlier request
            connected = call;
            return;
        }
        // The worker's own start has run before any request, and its
        // verdict stands: a modem that failed it is not tried again here
        // (a restart does that), and a network found later is seen by the
        // background reports.
        if (!session_.Up()) {
            if (indicators_.StatusIdx < kNoAnswer) session_.SetStatus(kNoModem);
            return;
        }
        if (!session_.Ready()) {
            session_.SetStatus(kNoNetwork);
            return;
        }
        connected = !call || session_.Dial(number);
    });
    return ran && connected;
}

bool Modem::HangUp() {
    bool ran = Run([&] { session_.HangUp(); });
    return ran && !InDataMode();
}

bool Modem::PowerOff(bool keepOff) {
    bool done = false;
    bool ran = Run([&] {
        session_.HangUp();
        if (keepOff) {
            session_.SwitchOff(true);
            session_.SetStatus(kNoStatus);
            done = true;
            return;
        }
        done = session_.Restart();
        if (!done) return;
        // The modem needs a moment to restart before it answers again.
        if (dialogue_.Pause(timings_.Handshake)) {
            std::lock_guard<std::mutex> hold(lock_);
            bringUp_ = true;
        }
    });
    return ran && done;
}

bool Modem::SwitchOffAT(bool waitAnswer) {
    bool ran = Run([&] {
        session_.SwitchOff(waitAnswer);
        session_.SetStatus(kNoStatus);
    });
    return ran;
}

BalanceResult Modem::Balance(const std::string& request) {
    BalanceResult result;
    Run([&] { result = session_.Balance(request); });
    return result;
}

SmsResult Modem::DeleteAllSms() {
    SmsResult result;
    Run([&] { result = session_.DeleteAllSms(); });
    return result;
}

}  // namespace gsm
