#pragma once
// Stand-in for the script API's name registration: until the API registration
// fills the API name list itself, the keyword table takes these names, the
// script-visible functions of the console, so that code text colours them.

void tovo_add_stand_in_api_names();
