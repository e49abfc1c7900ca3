// Temporary: the form body's owner (the request message) is not on this branch yet.
// Remove this file once gateway/request_message.cpp defines FormBody.
#include "gateway/request_message.h"

char FormBody[kFormBodySize];
