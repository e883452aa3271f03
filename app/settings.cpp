#include "app/settings.h"

// The values a short command line leaves in place.
Settings settings = {50, 50, 6666, nullptr};
