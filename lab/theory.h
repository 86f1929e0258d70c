// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

namespace km::theory {

// Kinetic theory of a two-dimensional gas in the simulation's units: length in box units,
// time in ticks, mass in amu, energy (kT) in amu·unit²/tick². kT is the mean ½mv² per disc.

// Maxwell–Boltzmann speed density in two dimensions, (m v / kT) exp(−m v² / 2kT), and its
// distribution function 1 − exp(−m v² / 2kT).
double speedDensity(double v, double mass, double kT);
double speedCdf(double v, double mass, double kT);
// One velocity component: a Gaussian of variance kT / m.
double componentDensity(double v, double mass, double kT);
double componentCdf(double v, double mass, double kT);

// Packing fraction of n discs of diameter sigma in a square of side L.
double packingFraction(int n, double sigma, double side);
// The densest packing of discs in the plane, π/(2√3): no fluid, nor any gas, lies beyond it.
inline constexpr double closePacking = 0.9068996821171089;
// Henderson's equation of state for hard discs: Z = (1 + η²/8) / (1 − η)²; not known below 0
// nor at or beyond close packing.
double hendersonZ(double eta);
// The pair distribution at contact that goes with it: (1 − 7η/16) / (1 − η)²; likewise.
double contactValue(double eta);

// The hard-disc fluid in bulk (no walls). Its virial series, Z = 1 + Σ b_k (2η)^(k−1), with
// the exact reduced coefficients b_2 … b_10 of Clisby and McCoy (2006), truncated after b_10;
// not known below 0 nor at or beyond close packing.
double virialZ(double eta);
// The same series resummed as its [5/4] Padé approximant in 2η, which agrees with it to the
// tenth order and with simulations of the periodic fluid to 1 % up to η = 0.65: the reference
// for the bulk fluid. Not known at or beyond `fluidEnds`, nor below 0.
double bulkZ(double eta);
// Where the fluid meets the hexatic phase: from here on no fluid equation applies.
inline constexpr double fluidEnds = 0.70;
// The pair distribution at contact that goes with the bulk reference, (Z − 1) / 2η.
double bulkContactValue(double eta);
// Z on the walls of a square box, centres within a side L, to first order in the walls: the
// bulk value less (32/3π)·η·σ/L. A disc near a wall meets fewer others, so discs gather there
// (by n·S(z), S the part of its excluded disc beyond the wall); for N fixed this leaves the
// rest of the box more dilute, and the contact density, the pressure, falls with it.
double walledZ(double eta, double sigma, double side);

// Enskog's rate of collisions of one disc with the discs of a partner species:
// 2·n·σ·g·√(π·kT / 2μ), n the partner's number per area, μ the reduced mass of the pair.
double enskogCollisionRate(double partnerDensity, double sigma, double g, double kT, double mass,
                           double partnerMass);
// Enskog's self-diffusion coefficient of a one-species gas: √(kT / π·m) / (2·n·σ·g).
double enskogDiffusion(double density, double sigma, double g, double kT, double mass);

// The thermal conductivity of a dilute gas of hard discs in Chapman and Enskog's first
// approximation, (2/σ)·√(kT / π·m) (heat per tick per unit length per unit of kT per unit
// length, k = 1): 4·n·D of the same approximation.
double chapmanEnskogConductivity(double sigma, double kT, double mass);
// Enskog's conductivity of hard discs at packing fraction η with contact value g, in the same
// first approximation: κ₀·[(1 + 3η·g/2)²/g + (4/π)·η²·g]. The first part is the flights'
// heat, raised by the energy each collision carries across σ; the second, κ₀·(4/π)·η²·g =
// n²σ³g·√(π·kT/m)/2, is the collisions' own transfer in a gas at rest with a gradient of T.
double enskogConductivity(double eta, double g, double sigma, double kT, double mass);

// Boltzmann's H, ∫ f ln f, of the velocity distribution in the reduced velocity
// u = v·√(m / kT), estimated from the shares p of |u| in rings: Σ p ln(p / ring area).
// Ring k lies between edges[k] and edges[k + 1]; edges has one more entry than p.
double hFromRings(std::span<const double> edges, std::span<const double> p);
// The same sum for a Maxwellian, whose ring shares are exp(−a²/2) − exp(−b²/2).
double maxwellianH(std::span<const double> edges);
// ∫ f ln f of the Maxwellian itself in reduced velocity: −ln(2π) − 1.
double maxwellianHExact();

}  // namespace km::theory
