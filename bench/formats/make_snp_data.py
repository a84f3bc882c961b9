#!/usr/bin/env python3
"""Writes N individuals x L biallelic SNPs, about 1 % missing calls, as a VCF file and as the
program's own genotype file (the same calls), with one coordinate file for both. Seeded.

    python3 bench/formats/make_snp_data.py FOLDER [N] [L]
"""
import os
import random
import sys

folder = sys.argv[1]
samples = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
snps = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
os.makedirs(folder, exist_ok=True)
random.seed(17)

names = ["ind%04d" % (k + 1) for k in range(samples)]
with open(os.path.join(folder, "coordinates.txt"), "w", newline="") as out:
    for name in names:
        out.write('"%s",%.3f,%.3f\r\n' % (name, random.uniform(0, 100), random.uniform(0, 100)))
    out.write(";\r\n")

# Per SNP one byte per individual: 0 = 0/0, 1 = 0/1, 2 = 1/1, 3 = missing.
calls = []
for _ in range(snps):
    p = random.uniform(0.05, 0.5)
    weights = [(1 - p) ** 2 * 0.99, 2 * p * (1 - p) * 0.99, p * p * 0.99, 0.01]
    calls.append(bytes(random.choices(range(4), weights=weights, k=samples)))

vcf_text = ["0/0", "0/1", "1/1", "./."]
with open(os.path.join(folder, "genotypes.vcf"), "w") as out:
    out.write("##fileformat=VCFv4.2\n##contig=<ID=1,length=100000000>\n")
    out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
    out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" + "\t".join(names) + "\n")
    for s, row in enumerate(calls):
        out.write("1\t%d\tsnp%d\tA\tG\t.\tPASS\t.\tGT\t" % (1000 * (s + 1), s + 1))
        out.write("\t".join(vcf_text[c] for c in row))
        out.write("\n")

own_text = ["1\\1", "1\\2", "2\\2", "0\\0"]
with open(os.path.join(folder, "genotypes.txt"), "w", newline="") as out:
    out.write("%d\r\n" % snps)
    for k, name in enumerate(names):
        out.write('"%s",' % name + ",".join(own_text[row[k]] for row in calls) + "\r\n")
