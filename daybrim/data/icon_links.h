// The item-icon links other PIM programs share: Pocket Outlook's named-property
// values ("PIMNamedPropVals", PimSw 0 and 1) or Agenda Fusion's "FusionLinks"
// (PimSw 2). One per process; its handle stays open for change notifications.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "pim_database.h"

namespace daybrim {

// The identifier of a named property of the PIM store ("DR_IconName").
class NamedPropIds {
public:
    virtual ~NamedPropIds() = default;
    // 0xFFFFFFFF when it cannot be had.
    virtual uint32_t Lookup(const wchar_t* name, HWND owner) = 0;
};
// Through Pocket Outlook's object model; 0xFFFFFFFF when it is not installed.
class PoomNamedPropIds : public NamedPropIds {
public:
    uint32_t Lookup(const wchar_t* name, HWND owner) override;
};

constexpr DWORD kNotifyPiLinks = 4, kNotifyNamedProps = 5, kNotifyFusion = 6;
constexpr CEPROPID kNpItem = 0x00010013, kNpProp = 0x00020013, kNpIcon = 0x00030041;
constexpr CEPROPID kFlItem = 0x00010003, kFlNumber = 0x00020002, kFlKind = 0x00030002, kFlPath = 0x0005001F;
constexpr size_t kMaxIconName = 260;

class IconLinkStore {
public:
    struct Config {
        int pimSw = 0;
        std::wstring iconFolder;
        uint32_t namedPropId = 0xFFFFFFFF;  // PimSw 0 and 1
        std::wstring pimVolume = L"\\pim.vol";
        std::wstring fusionVolume = L"\\FusionLinks.vol";
        HWND notify = nullptr;  // receives the link database's notifications
    };
    bool Open(const Config& config);
    void Close() { db_.close(); }
    bool isOpen() const { return db_.isOpen(); }
    bool fusion() const { return config_.pimSw == 2; }
    CENOTIFYREQUEST* request() { return &request_; }

    // The icon file of an item, empty when it has none.
    std::wstring ItemIconPath(uint32_t poomId);
    // Links `sourcePath` as the item's icon (empty: removes the link). False when
    // nothing was changed: a copy or write that failed leaves the old link.
    bool SetItemIcon(uint32_t poomId, const std::wstring& sourcePath);

    // For a notification of the link database: the item a changed record is for,
    // and its icon path (empty when the record is not an icon link of ours).
    bool ReadLinkRecord(CEOID oid, uint32_t* poomId, std::wstring* iconPath);

private:
    CEOID FindNamedProp(uint32_t poomId);
    CEOID FindFusionIcon(uint32_t poomId, std::wstring* path);
    uint16_t FreeLinkNumber();
    std::wstring PathOfName(const std::wstring& name) const;

    Config config_;
    PimDatabase db_;
    CENOTIFYREQUEST request_ = {};
};

// The text of a blob holding UTF-16 characters, up to its terminator or its end.
std::wstring BlobText(const std::vector<uint8_t>& blob);

}  // namespace daybrim
