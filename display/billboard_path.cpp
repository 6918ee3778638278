#include "display/billboard_path.h"
char g_billboardPath[127];
