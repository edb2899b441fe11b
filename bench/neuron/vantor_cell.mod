: The built-in cell of Vantor as one point process: Na and K with the rates
: of the shipped gate table (scaled to the temperature by phi) and the two
: Goldman-Hodgkin-Katz leaks. Currents in nA, conductances in uS.
NEURON {
  POINT_PROCESS VantorCell
  NONSPECIFIC_CURRENT i
  RANGE gna, gk, pk, pna, phi, frt, ena, ek, ki, ko, nai, nao
}
UNITS {
  (nA) = (nanoamp)
  (mV) = (millivolt)
  (uS) = (microsiemens)
}
PARAMETER {
  gna = 20 (uS)
  gk = 2 (uS)
  pk = 1
  pna = 0.06
  phi = 3.5424 : 3^((35 - 23.5) / 10), set from the script
  frt = 37.677 : F / (R T) in 1/V, set from the script
  ena = 40.95 (mV)
  ek = -100.16 (mV)
  ki = 0.135
  ko = 0.0031
  nai = 0.031
  nao = 0.145
}
ASSIGNED { v (mV) i (nA) }
STATE { m h n }
INITIAL {
  m = am(v) / (am(v) + bm(v))
  h = ah(v) / (ah(v) + bh(v))
  n = an(v) / (an(v) + bn(v))
}
BREAKPOINT {
  SOLVE states METHOD cnexp
  i = gna * m * m * m * h * (v - ena) + gk * n * n * n * n * (v - ek)
      + pk * ghk(v, ki, ko) + pna * ghk(v, nai, nao)
}
DERIVATIVE states {
  m' = phi * (am(v) * (1 - m) - bm(v) * m)
  h' = phi * (ah(v) * (1 - h) - bh(v) * h)
  n' = phi * (an(v) * (1 - n) - bn(v) * n)
}
FUNCTION am(v (mV)) { am = 0.091 * (v + 38) / (1 - exp(-(v + 38) / 5)) }
FUNCTION bm(v (mV)) { bm = -0.062 * (v + 38) / (1 - exp((v + 38) / 5)) }
FUNCTION ah(v (mV)) { ah = 0.016 * exp((-55 - v) / 15) }
FUNCTION bh(v (mV)) { bh = 2.07 / (exp((17 - v) / 21) + 1) }
FUNCTION an(v (mV)) { an = 0.01 * (-45 - v) / (exp((-45 - v) / 5) - 1) }
FUNCTION bn(v (mV)) { bn = 0.17 * exp((-50 - v) / 40) }
FUNCTION ghk(v (mV), ci, co) {
  LOCAL u
  u = v * frt / 1000
  ghk = 96480 * u * (ci - co * exp(-u)) / (1 - exp(-u)) / 1000
}
