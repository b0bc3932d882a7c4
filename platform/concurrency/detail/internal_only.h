// Guard for the runtime's internal headers: they describe libZorvelPlatform's own state and may
// only be included by its sources (which define ZPLATFORM_BUILDING).
#pragma once

#ifndef ZPLATFORM_BUILDING
#error "platform/concurrency/detail headers are internal to libZorvelPlatform; include agents.h, ppl.h or concrt.h"
#endif
