// Vector helpers of the normal pass: triangle normal and normalisation.
#ifndef MATHLIB_H
#define MATHLIB_H

// Unit normal of the triangle p0, p1, p2 (counter-clockwise seen from the
// side it points to), written to out. Each argument is x, y, z.
void calcNormal(float p0[3], float p1[3], float p2[3], float out[3]);

// Scales v to length 1 in place; a zero vector stays zero.
void ReduceToUnit(float v[3]);

#endif
