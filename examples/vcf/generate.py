#!/usr/bin/env python3
"""Writes the VCF example: 36 diploid individuals from six sites along a transect, 300 biallelic SNPs
whose allele frequencies drift along the transect, about 3 % missing calls, and their coordinate file.
Seeded, so running it again gives the same files. Not part of the build; kept to show where the data
come from.

    python3 examples/vcf/generate.py
"""
import os
import random

random.seed(20261207)
here = os.path.dirname(os.path.abspath(__file__))
sites = [(0.0, 0.0), (4.0, 1.0), (8.0, 0.5), (12.0, 2.0), (16.0, 1.5), (20.0, 3.0)]
individuals = []
for s, (x, y) in enumerate(sites):
    for k in range(6):
        name = "site%d-%02d" % (s + 1, k + 1)
        individuals.append((name, s, round(x + random.uniform(-1, 1), 2), round(y + random.uniform(-1, 1), 2)))

with open(os.path.join(here, "coordinates.txt"), "w", newline="") as out:
    for name, _, x, y in individuals:
        out.write('"%s",%s,%s\r\n' % (name, x, y))
    out.write(";\r\n")

with open(os.path.join(here, "genotypes.vcf"), "w", newline="") as out:
    out.write("##fileformat=VCFv4.2\n")
    out.write("##source=examples/vcf/generate.py (simulated data)\n")
    out.write("##contig=<ID=chr1,length=1000000>\n")
    out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
    out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" + "\t".join(i[0] for i in individuals) + "\n")
    bases = "ACGT"
    position = 0
    for snp in range(300):
        position += random.randint(500, 3000)
        ref = random.choice(bases)
        alt = random.choice([b for b in bases if b != ref])
        # The frequency of the alternative allele changes steadily along the transect.
        start = random.uniform(0.05, 0.95)
        slope = random.uniform(-0.15, 0.15)
        calls = []
        for _, site, _, _ in individuals:
            p = min(0.98, max(0.02, start + slope * site))
            if random.random() < 0.03:
                calls.append("./.")
            else:
                calls.append("%d/%d" % (random.random() < p, random.random() < p))
        out.write("chr1\t%d\tsnp%d\t%s\t%s\t.\tPASS\t.\tGT\t%s\n" % (position, snp + 1, ref, alt, "\t".join(calls)))
