// The handheld's messaging interface (cemapi.dll): a session over the device's
// message stores, one per mail account, with their folders, contents tables,
// messages and change notifications. Implemented by platform/cemapi over
// "\mail.vol".
//
// Conventions of this implementation:
//  - Strings are UTF-16 throughout; MAPI_UNICODE is accepted and implied.
//  - Contents and store tables are snapshots taken when the table is opened (and
//    re-taken by Restrict); QueryRows returns rows from the current position.
//  - Advise on a store delivers notifications on the thread that called Advise,
//    from its message loop, whichever process changed the mail.
//  - Every buffer handed out is freed with MAPIFreeBuffer, row sets with
//    FreeProws; after Logoff every call on the session and on what it opened fails
//    with MAPI_E_INVALID_OBJECT.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <mapix.h>
#include <mapicode.h>
#include <mapidefs.h>
#include <mapiguid.h>
#include <mapitags.h>
#include <mapiutil.h>

#ifdef __cplusplus
extern "C" {
#endif

// Store properties the device's stores answer besides the standard ones.
#define PR_CE_IPM_INBOX_ENTRYID   PROP_TAG(PT_BINARY, 0x8106)
#define PR_CE_IPM_DRAFTS_ENTRYID  PROP_TAG(PT_BINARY, 0x8107)
// A message's raw MIME text, when the store kept it (MSGSTATUS_HAS_PR_CE_MIME_TEXT).
#define PR_CE_MIME_TEXT           PROP_TAG(PT_BINARY, 0x8103)
#define PR_BODY_HTML_A            PROP_TAG(PT_STRING8, 0x1013)

#define MSGSTATUS_PARTIAL               0x00100000
#define MSGSTATUS_HAS_PR_CE_MIME_TEXT   0x08000000

#ifdef __cplusplus
}

// The interfaces' identifiers for __uuidof, so that callers need no definitions.
#define CEMAPI_UUID(I, n) __CRT_UUID_DECL(I, n, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)
CEMAPI_UUID(IMAPISession, 0x00020300)
CEMAPI_UUID(IMAPITable, 0x00020301)
CEMAPI_UUID(IMAPIAdviseSink, 0x00020302)
CEMAPI_UUID(IMAPIProp, 0x00020303)
CEMAPI_UUID(IMsgStore, 0x00020306)
CEMAPI_UUID(IMessage, 0x00020307)
CEMAPI_UUID(IMAPIContainer, 0x0002030B)
CEMAPI_UUID(IMAPIFolder, 0x0002030C)
#undef CEMAPI_UUID
#endif
