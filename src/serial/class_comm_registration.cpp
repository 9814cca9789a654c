// Port object: registration of windows, port sharing and the forced-open rule.
#include <algorithm>

#include "serial/class_comm.h"

namespace k45 {

bool classComm::IsListed(int list, const CommForm* frm) const {
    const auto& l = lists_[static_cast<size_t>(list)];
    return std::find(l.begin(), l.end(), frm) != l.end();
}

int classComm::RegisteredCount(int list) const {
    if (list < 0 || list >= listCount) return 0;
    return static_cast<int>(lists_[static_cast<size_t>(list)].size());
}

bool classComm::Register(int list, CommForm* frm, bool closeFirst) {
    bool listed = false;
    if (closeFirst) CloseCommPort();
    if (!comPortOpen_ && !OpenCommPort()) listed = true;  // a failed open adds nothing
    auto& l = lists_[static_cast<size_t>(list)];
    if (!listed && frm && !IsListed(list, frm)) l.push_back(frm);
    return !l.empty();
}

bool classComm::DeRegister(int list, CommForm* frm) {
    auto& l = lists_[static_cast<size_t>(list)];
    auto it = std::find(l.begin(), l.end(), frm);
    bool found = it != l.end();
    if (found) l.erase(it);
    if (!AnyCommFormRegistered()) CloseCommPort();
    return found;
}

bool classComm::AnyCommFormRegistered() {
    for (int i = 0; i < kDataLists; ++i)
        if (!lists_[static_cast<size_t>(i)].empty()) return true;
    if (forcedOpen_) {
        // The forced port stays open whatever the device takes; a refusal has shown its message.
        (void)OverrideHandshaking(forcedTxMode_, false, 0);
        (void)OverrideSettings(forced_);
        return true;
    }
    return false;
}

void classComm::ForceCommPortOpen(std::int32_t tmpTxModeVal, const PortSettings& tmpSettings) {
    forcedOpen_ = true;
    forcedTxMode_ = tmpTxModeVal;
    forced_ = tmpSettings;
    if (!comPortOpen_) (void)OpenCommPort();  // a failed open has shown its message
}

bool classComm::RegisterForDecodedData(CommForm* Frm, bool c) { return Register(listDecoded, Frm, c); }
bool classComm::RegisterForDecodedDataRS485(CommForm* Frm, bool c) { return Register(listRs485, Frm, c); }
bool classComm::RegisterForDmpData(CommForm* Frm, bool c) {
    InitDmpBaudList();
    return Register(listDmp, Frm, c);
}
bool classComm::RegisterForRawData(CommForm* Frm, bool c) { return Register(listRaw, Frm, c); }
bool classComm::RegisterForTxComplete(CommForm* Frm, bool c) { return Register(listTxComplete, Frm, c); }
bool classComm::RegisterForRxBreak(CommForm* Frm, bool c) { return Register(listBreak, Frm, c); }
bool classComm::RegisterForSRecord(CommForm* Frm, bool c) { return Register(listSRecord, Frm, c); }
bool classComm::RegisterForRxCrLf(CommForm* Frm, bool c) { return Register(listCrLf, Frm, c); }
bool classComm::RegisterForCtsChange(CommForm* Frm, bool c) { return Register(listCtsChange, Frm, c); }
bool classComm::RegisterForDcdChange(CommForm* Frm, bool c) { return Register(listDcdChange, Frm, c); }
bool classComm::RegisterForDsrChange(CommForm* Frm, bool c) { return Register(listDsrChange, Frm, c); }
bool classComm::RegisterForCtsTimeout(CommForm* Frm, bool c) { return Register(listCtsTimeout, Frm, c); }

bool classComm::DeRegisterForRawData(CommForm* Frm) { return DeRegister(listRaw, Frm); }
bool classComm::DeRegisterForSRecord(CommForm* Frm) { return DeRegister(listSRecord, Frm); }
bool classComm::DeRegisterForRxCrLf(CommForm* Frm) { return DeRegister(listCrLf, Frm); }

void classComm::DeRegisterForAll(CommForm* Frm) {
    for (int i = 0; i < listCount; ++i) DeRegister(i, Frm);
}

}  // namespace k45
