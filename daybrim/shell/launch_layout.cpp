// The bridge's request block crosses into a 32-bit program on the device: its layout
// is checked by the handheld build and by the i686 compiler alike.
#include <stddef.h>

#include "ce_layout.h"
#include "launch_lines.h"

using launch::PimBridgeRequest;

CE_LAYOUT(PimBridgeRequest, 1112, 1112);
CE_OFFSET(PimBridgeRequest, showId, 16, 16);
CE_OFFSET(PimBridgeRequest, showDay, 24, 24);
CE_OFFSET(PimBridgeRequest, notePath, 32, 32);
CE_OFFSET(PimBridgeRequest, showFlag, 544, 544);
CE_OFFSET(PimBridgeRequest, editId, 552, 552);
CE_OFFSET(PimBridgeRequest, editDay, 560, 560);
CE_OFFSET(PimBridgeRequest, start, 568, 568);
CE_OFFSET(PimBridgeRequest, category, 584, 584);
CE_OFFSET(PimBridgeRequest, newId, 1096, 1096);
CE_OFFSET(PimBridgeRequest, createdFor, 1104, 1104);
