#pragma once
#include "gateway/transport_errors.h"

// The one plain line the configuration Test adds under a text it shows as it stands,
// saying what the text means. The administrator's guide has the causes and fixes
// (tools/admin_guide).

// The plain line for the reply of an exchange that came to result: the error number's
// meaning or the status's plain line for a failed step ("Error: HTTP Send [12029]"
// gives "Nothing answers at this address on port 443."), a line saying so for a gateway
// body that begins "Error:"; nullptr when there is none.
const char* PlainLineFor(const TransportResult& result, const char* reply);
