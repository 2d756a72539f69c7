#pragma once
// Resource identifiers shared by the .rc file and the code.
#define ZQ_RES_LOGO 101
