#include "editor/Document.h"
#include "support/TestSupport.h"
