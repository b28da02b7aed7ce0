#pragma once

// The whole promise library.

#include "promises/barriers.h"
#include "promises/box.h"
#include "promises/configuration.h"
#include "promises/coroutine.h"
#include "promises/finalizer.h"
#include "promises/future.h"
#include "promises/guarantee.h"
#include "promises/progress.h"
#include "promises/promise.h"
#include "promises/promises_error.h"
#include "promises/resolver.h"
#include "promises/result.h"
#include "promises/timers.h"
