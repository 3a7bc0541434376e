#pragma once

// A point or displacement in world space. Plain value: no constructor, member-wise copy.
struct VECTORD {
  double x;
  double y;
  double z;

  VECTORD& operator+=(const VECTORD& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  VECTORD& operator-=(const VECTORD& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  VECTORD& operator*=(const VECTORD& v) {
    x *= v.x;
    y *= v.y;
    z *= v.z;
    return *this;
  }
  VECTORD& operator/=(const VECTORD& v) {
    x /= v.x;
    y /= v.y;
    z /= v.z;
    return *this;
  }
  // One reciprocal, three multiplications: 5k * (1/5.0) is exactly k, which the cell lookup needs.
  VECTORD& operator/=(const double s) {
    const double r = 1.0 / s;
    x *= r;
    y *= r;
    z *= r;
    return *this;
  }
  VECTORD& operator=(double s) {
    x = s;
    y = s;
    z = s;
    return *this;
  }
};

inline VECTORD operator+(const VECTORD& a, const VECTORD& b) {
  VECTORD r = a;
  r += b;
  return r;
}
inline VECTORD operator-(const VECTORD& a, const VECTORD& b) {
  VECTORD r = a;
  r -= b;
  return r;
}
inline VECTORD operator*(const VECTORD& a, const VECTORD& b) {
  VECTORD r = a;
  r *= b;
  return r;
}
inline VECTORD operator/(const VECTORD& a, const VECTORD& b) {
  VECTORD r = a;
  r /= b;
  return r;
}
inline VECTORD operator/(const VECTORD& a, const double& s) {
  VECTORD r = a;
  r /= s;
  return r;
}
