// The runtime library's start and finish calls, bracketed by XPLUGIN_Init/Uninit.
#ifndef VELLUM_LIBS_XRT_XRT_H
#define VELLUM_LIBS_XRT_XRT_H

int XRT_InitEx();
int XRT_FiniEx();

#endif  // VELLUM_LIBS_XRT_XRT_H
