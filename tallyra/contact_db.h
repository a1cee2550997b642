// The device's contact database ("Contacts Database" in \pim.vol), read in its
// file-as order.
#pragma once
#include <windows.h>

#include <windbase.h>

#include "contact_data.h"
#include "raii.h"

namespace tallyra {

class ContactDb {
public:
    ContactDb() = default;
    ~ContactDb();
    ContactDb(const ContactDb&) = delete;
    ContactDb& operator=(const ContactDb&) = delete;

    // Sorted by file-as, case-insensitive; when the database has no such order, by
    // file-as and then its tie-break property. False when neither opens.
    bool Open();
    // From the first record on; false at the end or when a record cannot be read.
    bool Rewind();
    bool ReadNext(ContactProps* out, CEOID* oid);
    bool ReadById(CEOID oid, ContactProps* out);

private:
    bool ReadCurrent(ContactProps* out, CEOID* oid);

    CEGUID volume_ = {};
    bool mounted_ = false;
    raii::Handle db_;
    LPBYTE buffer_ = nullptr;  // CeReadRecordPropsEx's, reallocated as it needs
    DWORD size_ = 0;
};

}  // namespace tallyra
