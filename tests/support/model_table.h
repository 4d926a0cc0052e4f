// Emptying the model table between tests, so each starts from a fresh table
// and the sanitizer's leak check sees nothing left behind.
#pragma once

void clearModelTable();
