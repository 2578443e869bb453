// A mesh that does not deform: an Object and nothing more.
#include "undeformableObject.h"

undeformableObject::undeformableObject() {}

undeformableObject::~undeformableObject() {}
