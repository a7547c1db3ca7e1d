#include "update/client/UpdateSession.h"

#include "platform/MessageBox.h"
#include "platform/ProgramLaunch.h"
#include "platform/Registry.h"
#include "platform/Time.h"
#include "update/client/ClientShell.h"
#include "update/client/UpdateTransport.h"
#include "update/shared/GameFolder.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

using namespace platform;

namespace {

const char kGameKey[] = "Software\\VelmoraII";
const char kVersionKey[] = "Software\\Kardol";
// "錯誤 : 尚未安裝VelmoraII,請先安裝VelmoraII後,再執行更新程式"
const char kNotInstalled[] =
    "\xBF\xF9\xBB~ : \xA9|\xA5\xBC\xA6w\xB8\xCBVelmoraII,\xBD\xD0\xA5\xFD\xA6w\xB8\xCB"
    "VelmoraII\xAB\xE1,\xA6"
    "A\xB0\xF5\xA6\xE6\xA7\xF3\xB7s\xB5{\xA6\xA1";
constexpr uint32_t kEventKey = 1;
constexpr uint32_t kControlMessage = 4;
// Datagrams read in one pass at most, so a flood cannot hold the window.
constexpr int kReadsPerPass = 256;

bool IsProgram(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ending = name.substr(name.size() - 4);
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ending == ".exe";
}

} // namespace

UpdateSession::UpdateSession(ClientShell& shell) : shell_(shell) {}

UpdateSession::~UpdateSession() {
    delete folder_;
}

void UpdateSession::Fail(const char* line, const char* detail) {
    failed = true;
    shell_.log.PushLog(line, detail);
}

bool UpdateSession::ReadRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kGameKey, &key) != ERROR_SUCCESS) {
        MessageBoxA(shell_.window, kNotInstalled, ClientShell::kTitle, MB_OK);
        return false;
    }
    char path[260] = {};
    uint32_t size = sizeof path;
    uint32_t type = 0;
    if (RegQueryValueExA(key, "WorkPath", nullptr, &type, reinterpret_cast<uint8_t*>(path), &size) ==
        ERROR_SUCCESS)
        gameFolder.assign(path, strnlen(path, std::min<size_t>(size, sizeof path)));
    RegCloseKey(key);

    std::memset(version, 0, sizeof version);
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kVersionKey, &key) != ERROR_SUCCESS) {
        if (RegCreateKeyA(HKEY_CLASSES_ROOT, kVersionKey, &key) == ERROR_SUCCESS) {
            RegSetValueExA(key, "GameVersion", 0, REG_SZ, reinterpret_cast<const uint8_t*>("1.01"), 4);
            RegCloseKey(key);
        }
        std::memcpy(version, "1.01", 4);
    } else {
        size = sizeof version;
        if (RegQueryValueExA(key, "GameVersion", nullptr, &type, version, &size) != ERROR_SUCCESS)
            std::memset(version, 0, sizeof version);
        RegCloseKey(key);
        // The server tells the old versions by a trailing letter.
        if (strnlen(reinterpret_cast<const char*>(version), sizeof version) != 5) {
            version[4] = 't';
            version[5] = 0;
        }
    }
    delete folder_;
    folder_ = new GameFolder(gameFolder);
    return true;
}

void UpdateSession::RunUpdateSession() {
    while (state != Finished) {
        shell_.PumpOneMessage();
        clock.Tick();
        Step();
        HandleEvents();
        if (state == Receiving) {
            UpdateTransport::Instance().MainSocket().WaitReadable(5);
        } else if (state == ShowingFailure) {
            Sleep(5);
        }
    }
    Restart();
}

void UpdateSession::Step() {
    UpdateTransport& transport = UpdateTransport::Instance();
    switch (state) {
    case Start:
        state = Opening;
        break;
    case Opening:
        shell_.log.CreateFont();
        shell_.log.Clear();
        files.Clear();
        events.Clear();
        clock.Reset(480.0f, 0);
        receivedAny = false;
        allSentHandled_ = false;
        failed = false;
        if (!transport.Open(0, 1, shell_.serverAddress.c_str())) {
            Fail("Error To Connect Server", shell_.serverAddress.c_str());
            state = Closing;
            break;
        }
        shell_.log.PushLog("Client Update Start", nullptr);
        if (!ReadRegistry()) {
            failed = true;
            state = Closing;
            break;
        }
        transport.Send(UpdateDatagram::EncodeVersion(version), 0);
        shell_.log.PushLog("Waiting Server", nullptr);
        clock.StartCountdown(kConnectSeconds);
        state = Receiving;
        break;
    case Receiving: {
        const bool silent = receivedAny && timeGetTime() - lastHeard_ >= kSilenceMs;
        if ((!receivedAny && clock.CountdownExpired()) || silent) {
            Fail("Error To Connect Server", nullptr);
            shell_.log.PushLog("Pass Any Key to Continue", nullptr);
            shell_.log.DrawLog();
            state = ShowingFailure;
        }
        Dispatch();
        while (transport.ResendDue()) {
        }
        shell_.log.DrawLog();
        break;
    }
    case ShowingFailure:
        if ((clock.fired & 0xF) == 0xF) shell_.log.MarkDirty();
        shell_.log.DrawLog();
        break;
    case Closing:
        transport.Close();
        files.Clear();
        shell_.log.DeleteFont();
        state = Finished;
        break;
    default:
        break;
    }
}

void UpdateSession::Dispatch() {
    UpdateTransport& transport = UpdateTransport::Instance();
    for (int i = 0; i < kReadsPerPass && transport.Receive(); ++i) {
    }
    while (UpdateTransport::Received* node = transport.TakeReceived()) {
        std::unique_ptr<UpdateTransport::Received> owned(node);
        receivedAny = true;
        lastHeard_ = timeGetTime();
        const uint8_t* bytes = node->datagram.data();
        const size_t size = node->datagram.size();
        const auto header = UpdateDatagram::DecodeHeader(bytes, size);
        if (!header) continue;
        switch (header->type) {
        case UpdateDatagram::Control:
            if (const auto control = UpdateDatagram::DecodeControl(bytes, size)) {
                if (control->code == UpdateDatagram::kCurrent || control->code == UpdateDatagram::kAllSent)
                    events.Post(kEventKey, kControlMessage, control->code);
            }
            break;
        case UpdateDatagram::FileHeader:
            OnFileHeader(bytes, size);
            break;
        case UpdateDatagram::FileData:
            OnFileData(bytes, size);
            break;
        default:
            break;
        }
    }
}

void UpdateSession::OnFileHeader(const uint8_t* bytes, size_t size) {
    const auto header = UpdateDatagram::DecodeFileHeader(bytes, size);
    if (!header || files.Find(header->name)) return;
    if (files.Add(*header, *folder_)) {
        shell_.log.PushLog(header->name.c_str(), nullptr);
    } else {
        Fail("Refused File", header->name.c_str());
    }
}

void UpdateSession::OnFileData(const uint8_t* bytes, size_t size) {
    const auto data = UpdateDatagram::DecodeFileData(bytes, size);
    if (!data) return;
    UpdateFileRecord* record = files.Find(data->name);
    if (!record) return;
    if (record->Current()) {
        UpdateTransport::Instance().Send(
            UpdateDatagram::EncodeControl(UpdateDatagram::kHaveFile,
                                          static_cast<uint32_t>(record->remoteChecksum)),
            0);
        return;
    }
    bool fresh = false;
    if (!UpdateFileTable::Store(*record, data->offset, data->data, data->count, &fresh) || !fresh) return;
    const uint64_t percent = (uint64_t(data->offset) + data->count) * 100 / record->TravelSize();
    if (data->offset == 0) {
        shell_.log.PushLog(("Start Receive " + record->name).c_str(), nullptr);
    } else {
        shell_.log.PopLog(1);
    }
    shell_.log.PushLog((record->name + "--" + std::to_string(percent) + "%").c_str(), nullptr);
}

void UpdateSession::HandleEvents() {
    uint32_t message = 0;
    uint32_t value = 0;
    while (events.Take(kEventKey, &message, &value)) {
        if (message != kControlMessage) continue;
        if (value == UpdateDatagram::kCurrent && state != Closing && state != Finished) {
            MessageBoxA(shell_.window, "Version Check Ok", ClientShell::kTitle, MB_OK);
            state = Closing;
        } else if (value == UpdateDatagram::kAllSent && !allSentHandled_) {
            allSentHandled_ = true;
            FinishTransfer();
            state = Closing;
        }
    }
}

void UpdateSession::FinishTransfer() {
    UpdateTransport& transport = UpdateTransport::Instance();
    transport.Send(UpdateDatagram::EncodeControl(UpdateDatagram::kClientEnd, 0), 0);
    // Blocks still under way may come after the server's last word: wait for them too.
    const uint32_t start = timeGetTime();
    while (timeGetTime() - start < kFinishMs && !(transport.SendQueueEmpty() && files.AllComplete())) {
        shell_.PumpOneMessage();
        Dispatch();
        while (transport.ResendDue()) {
        }
        transport.MainSocket().WaitReadable(5);
    }
    WriteGameFiles();
    shell_.log.PushLog(failed ? "Data Update Failed" : "Data Update Finish", nullptr);
    shell_.log.DrawLog();
}

void UpdateSession::WriteGameFiles() {
    LinkList& records = files.Records();
    for (uintptr_t v = records.First(); v != 0; v = records.Next()) {
        auto* record = reinterpret_cast<UpdateFileRecord*>(v);
        if (record->Current()) continue;
        const auto contents = record->Contents();
        if (!contents) {
            Fail("Incomplete File", record->name.c_str());
            continue;
        }
        const auto target = folder_->Resolve(record->name);
        if (!target) {
            Fail("Refused File", record->name.c_str());
            continue;
        }
        if (!GameFolder::ReplaceFile(*target, contents->data(), contents->size(), IsProgram(record->name)))
            Fail("Write File Error", record->name.c_str());
    }
}

void UpdateSession::Restart() {
    std::error_code ec;
    if (!gameFolder.empty()) std::filesystem::current_path(gameFolder, ec);
    if (!shell_.restart) return;
    std::filesystem::path program = std::filesystem::path(gameFolder) / "Kardol.exe";
    if (folder_) {
        if (const auto found = folder_->Resolve("Kardol.exe")) program = *found;
    }
    const std::vector<std::string> words{shell_.words[0], shell_.words[1], shell_.words[2]};
    if (!LaunchProgram(program.string(), words, gameFolder)) Fail("Restart Error", program.string().c_str());
}
