#pragma once
// Ids of the framework tests' resources, shared by the .rc and the tests.
// The product's resources use 101-1010; the tests start at 200.
#define IDD_FRAMEWORK_TEST 200
#define IDC_TEST_EDIT 210
#define IDC_TEST_BUTTON 211
#define IDC_TEST_CHECK 212
#define IDC_TEST_TARGET 213
