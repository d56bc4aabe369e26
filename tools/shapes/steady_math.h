// Sine, cosine and arc tangent from basic IEEE operations alone, so that a
// drawing's curves flatten to the same points natively and in the browser,
// whose maths libraries round differently.
#pragma once

double steadySin(double x);
double steadyCos(double x);
double steadyAtan2(double y, double x);
