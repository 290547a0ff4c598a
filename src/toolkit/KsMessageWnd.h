#pragma once
// Message-level behaviour of native windows; a layer of the class tree that
// adds nothing yet.

#include "toolkit/KsBasicWnd.h"

class KsMessageWnd : public KsBasicWnd {};
