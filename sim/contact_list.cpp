// The run-wide contact list.
#include "sim/contact_list.h"

ContactList contactList;
