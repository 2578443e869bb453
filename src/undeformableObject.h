// A mesh that does not deform: an Object and nothing more.
#ifndef UNDEFORMABLEOBJECT_H
#define UNDEFORMABLEOBJECT_H

#include "object.h"

class undeformableObject : public Object {
public:
    undeformableObject();
    ~undeformableObject();
};

#endif
