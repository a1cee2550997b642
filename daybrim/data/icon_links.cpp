#include "icon_links.h"

#if __has_include(<pimstore.h>)
#include <pimstore.h>
#define DAYBRIM_HAVE_POOM 1

#include "com_base.h"
#include "raii.h"
#endif

namespace daybrim {

uint32_t PoomNamedPropIds::Lookup(const wchar_t* name, HWND owner) {
#ifdef DAYBRIM_HAVE_POOM
    uint32_t id = 0xFFFFFFFF;
    const com::Init com(COINIT_MULTITHREADED);
    if (!com) return id;
    raii::ComPtr<IPOutlookApp2> app;
    if (SUCCEEDED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                   reinterpret_cast<void**>(app.out()))) &&
        app) {
        const com::Session<IPOutlookApp2> session(app.get(), long(reinterpret_cast<intptr_t>(owner)));
        if (session.ok()) {
            CEPROPID out = PIM_INVALIDID;
            LPCWSTR names[1] = {name};
            if (SUCCEEDED(app->GetIDsFromNames(1, names, PIM_CREATE | CEVT_BLOB, &out)) && out != PIM_INVALIDID)
                id = out;
        }
    }
    return id;
#else
    return 0xFFFFFFFF;
#endif
}

std::wstring BlobText(const std::vector<uint8_t>& blob) {
    std::wstring s;
    for (size_t i = 0; i + 1 < blob.size(); i += 2) {
        const wchar_t c = wchar_t(blob[i] | (blob[i + 1] << 8));
        if (!c) break;
        s.push_back(c);
    }
    return s;
}

bool IconLinkStore::Open(const Config& config) {
    config_ = config;
    request_ = CENOTIFYREQUEST{sizeof(CENOTIFYREQUEST), config.notify, CEDB_EXNOTIFICATION, nullptr,
                               fusion() ? kNotifyFusion : kNotifyNamedProps};
    CENOTIFYREQUEST* req = config.notify ? &request_ : nullptr;
    if (fusion()) {
        SORTORDERSPECEX sort = SortOn(kFlItem, 0x0001);
        return db_.open(L"FusionLinks", true, req, &sort, config.fusionVolume) != nullptr;
    }
    SORTORDERSPECEX sort = SortOn(kNpItem, CEDB_SORT_UNIQUE, kNpProp);
    return db_.open(L"PIMNamedPropVals", true, req, &sort, config.pimVolume) != nullptr;
}

std::wstring IconLinkStore::PathOfName(const std::wstring& name) const {
    return config_.iconFolder + L"\\" + name + L".bmp";
}

CEOID IconLinkStore::FindNamedProp(uint32_t poomId) {
    if (!db_.isOpen() || config_.namedPropId == 0xFFFFFFFF) return 0;
    CEPROPVAL keys[2] = {};
    keys[0].propid = kNpItem;
    keys[0].val.ulVal = poomId;
    keys[1].propid = kNpProp;
    keys[1].val.ulVal = config_.namedPropId;
    return db_.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, keys, 2);
}

CEOID IconLinkStore::FindFusionIcon(uint32_t poomId, std::wstring* path) {
    if (!db_.isOpen()) return 0;
    CEPROPVAL key = {};
    key.propid = kFlItem;
    key.val.lVal = long(poomId);
    enum : WORD { kKindAt, kPathAt, kCount };
    const CEPROPID ids[kCount] = {kFlKind, kFlPath};
    RecordProps r;
    const RecordView v(r, ids);
    for (CEOID at = db_.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, &key, 1); at;
         at = db_.seekValues(CEDB_SEEK_VALUENEXTEQUAL, &key, 1)) {
        if (!r.read(db_.handle(), ids, kCount)) return 0;
        const std::wstring p = v.text(kPathAt);
        if (v.i2(kKindAt) == 6 && !p.empty() && p.size() < kMaxIconName) {
            if (path) *path = p;
            return at;
        }
        db_.seek(CEDB_SEEK_CEOID, at);  // the read moved the cursor on
    }
    return 0;
}

std::wstring IconLinkStore::ItemIconPath(uint32_t poomId) {
    if (fusion()) {
        std::wstring path;
        return FindFusionIcon(poomId, &path) ? path : std::wstring();
    }
    if (!FindNamedProp(poomId)) return {};
    enum : WORD { kIconAt, kCount };
    const CEPROPID ids[kCount] = {kNpIcon};
    RecordProps r;
    if (!r.read(db_.handle(), ids, kCount)) return {};
    std::vector<uint8_t> blob;
    RecordView(r, ids).blob(kIconAt, &blob);
    const std::wstring name = BlobText(blob);
    return (name.empty() || name.size() >= kMaxIconName) ? std::wstring() : PathOfName(name);
}

uint16_t IconLinkStore::FreeLinkNumber() {
    SORTORDERSPECEX sort = SortOn(kFlNumber, 0x0001);
    PimDatabase numbers;
    if (!numbers.open(L"FusionLinks", true, nullptr, &sort, config_.fusionVolume)) return 1;
    numbers.seek(CEDB_SEEK_BEGINNING, 0);
    enum : WORD { kNumberAt, kCount };
    const CEPROPID ids[kCount] = {kFlNumber};
    RecordProps r;
    const RecordView v(r, ids);
    int next = 1;
    while (r.read(numbers.handle(), ids, kCount)) {
        const int n = v.i2(kNumberAt, 0);
        if (n == next) ++next;
        else if (n > next) break;
    }
    return uint16_t(next);
}

bool IconLinkStore::SetItemIcon(uint32_t poomId, const std::wstring& source) {
    if (!db_.isOpen()) return false;
    if (fusion()) {
        const CEOID existing = FindFusionIcon(poomId, nullptr);
        if (source.empty()) {
            const bool removed = existing && CeDeleteRecord(db_.handle(), existing);
            if (removed) db_.flush();
            return removed;
        }
        if (source.size() >= kMaxIconName || GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES)
            return false;
        CEPROPVAL v[4] = {};
        v[0].propid = kFlItem;
        v[0].val.lVal = long(poomId);
        v[1].propid = kFlKind;
        v[1].val.iVal = 6;
        v[2].propid = kFlPath;
        v[2].val.lpwstr = const_cast<LPWSTR>(source.c_str());
        v[3].propid = kFlNumber;
        v[3].val.iVal = short(FreeLinkNumber());
        // The old link is rewritten in place (keeping its number): never a moment
        // without a link, and no second link when the write fails half way.
        const WORD count = existing ? 3 : 4;
        const bool ok = CeWriteRecordProps(db_.handle(), existing, count, v) != 0;
        if (ok) db_.flush();
        return ok;
    }
    if (config_.namedPropId == 0xFFFFFFFF) return false;
    const CEOID existing = FindNamedProp(poomId);
    if (source.empty()) {
        const bool removed = existing && CeDeleteRecord(db_.handle(), existing);
        if (removed) db_.flush();
        return removed;
    }
    if (source.size() < 6) return false;
    const size_t slash = source.find_last_of(L"\\/");
    std::wstring base = source.substr(slash == std::wstring::npos ? 0 : slash + 1);
    const size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.erase(dot);
    const std::wstring name = L"Icons-" + base;
    if (base.empty() || name.size() >= kMaxIconName) return false;
    // The file first: a link to an icon that is not there would be worse than the
    // old link, so a failed copy changes nothing.
    const std::wstring target = PathOfName(name);
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE) ||
        GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    std::vector<uint8_t> blob;
    for (wchar_t c : name) {
        blob.push_back(uint8_t(c & 0xFF));
        blob.push_back(uint8_t(c >> 8));
    }
    blob.push_back(0);
    blob.push_back(0);
    CEPROPVAL v[3] = {};
    v[0].propid = kNpItem;
    v[0].val.ulVal = poomId;
    v[1].propid = kNpProp;
    v[1].val.ulVal = config_.namedPropId;
    v[2].propid = kNpIcon;
    v[2].val.blob.dwCount = DWORD(blob.size());
    v[2].val.blob.lpb = blob.data();
    const bool ok = CeWriteRecordProps(db_.handle(), existing, 3, v) != 0;
    if (ok) db_.flush();
    return ok;
}

bool IconLinkStore::ReadLinkRecord(CEOID oid, uint32_t* poomId, std::wstring* iconPath) {
    iconPath->clear();
    if (!db_.isOpen() || !db_.seek(CEDB_SEEK_CEOID, oid)) return false;
    RecordProps r;
    if (fusion()) {
        enum : WORD { kItemAt, kKindAt, kPathAt, kCount };
        const CEPROPID ids[kCount] = {kFlItem, kFlKind, kFlPath};
        const RecordView v(r, ids);
        if (!r.read(db_.handle(), ids, kCount) || !v.has(kItemAt)) return false;
        *poomId = uint32_t(v.i4(kItemAt));
        const std::wstring p = v.text(kPathAt);
        if (v.i2(kKindAt) != 6) return false;
        if (p.size() < kMaxIconName) *iconPath = p;
        return true;
    }
    enum : WORD { kItemAt, kPropAt, kIconAt, kCount };
    const CEPROPID ids[kCount] = {kNpItem, kNpProp, kNpIcon};
    const RecordView v(r, ids);
    if (!r.read(db_.handle(), ids, kCount) || !v.has(kItemAt)) return false;
    if (config_.namedPropId == 0xFFFFFFFF || v.u4(kPropAt) != config_.namedPropId) return false;
    *poomId = v.u4(kItemAt);
    std::vector<uint8_t> blob;
    v.blob(kIconAt, &blob);
    const std::wstring name = BlobText(blob);
    if (!name.empty() && name.size() < kMaxIconName) *iconPath = PathOfName(name);
    return true;
}

}  // namespace daybrim
