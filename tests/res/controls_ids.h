#pragma once
// Ids of the control tests' dialog; the control tests use 300-399.
#define IDD_CONTROLS_TEST 300
#define IDC_CT_THREE_STATE 310
#define IDC_CT_CHECK 311
#define IDC_CT_EDIT 312
#define IDC_CT_TARGET 313
#define IDC_CT_OTHER_TARGET 314
#define IDC_CT_BUTTON 315
