// Resource ids of velmiro.exe, shared by its resource script and its code.
#pragma once

#define iconId 1
#define chipId 101
#define chip2xId 102
